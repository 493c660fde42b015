// The update check on the headless socket: the request, how replies are read, when the offer
// appears, what it says, and what Yes and No do.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "settings/about_help.h"
#include "settings/update_check.h"
#include "version.h"

namespace brivane {
namespace {

using test::Harness;

ScriptedEvent socketEvent(ScriptedEvent::Kind kind) {
    ScriptedEvent event;
    event.kind = kind;
    return event;
}

// Runs one whole exchange through the game's event handlers: open, the reply in the given
// pieces, close.
void exchange(Harness& h, std::initializer_list<const char*> pieces) {
    startUpdateCheck(h.g);
    h.pf.post(socketEvent(ScriptedEvent::Kind::socketConnected));
    for (const char* piece : pieces) {
        h.pf.post(ScriptedEvent::run([&h, piece] { h.pf.sockIncoming += piece; }));
        h.pf.post(socketEvent(ScriptedEvent::Kind::socketData));
    }
    h.pf.post(socketEvent(ScriptedEvent::Kind::socketClosed));
    h.pf.processEvents();
}

std::string offerText(const std::string& version) {
    return "(This update check can be disabled in settings)\r\n"
           "There is a more recent version (" +
           version +
           ") of this game available at\r\n"
           "http://www.brivane.net\r\n"
           "Would you like to go to the web site now?";
}

TEST(UpdateCheck, ConnectsToTheServerClosingAnyEarlierConnection) {
    const struct {
        SocketState before;
        int closes;
    } cases[] = {
        {SocketState::closed, 0},
        {SocketState::connecting, 1},
        {SocketState::connected, 1},
    };
    for (const auto& c : cases) {
        Harness h;
        h.pf.sockState = c.before;
        startUpdateCheck(h.g);
        EXPECT_EQ(h.pf.sockCloses, c.closes);
        ASSERT_EQ(h.pf.sockConnects.size(), 1u);
        EXPECT_EQ(h.pf.sockConnects[0], (std::pair<std::string, int>(updateHost, 80)));
        EXPECT_TRUE(h.pf.dialogs.empty());
    }
}

TEST(UpdateCheck, SendsTheRequestOnceOpenAndStartsAFreshReply) {
    Harness h;
    h.g.updateBuffer = "left over";
    startUpdateCheck(h.g);
    EXPECT_TRUE(h.pf.sockSent.empty());
    h.pf.post(socketEvent(ScriptedEvent::Kind::socketConnected));
    h.pf.processEvents();
    EXPECT_EQ(h.pf.sockSent,
              std::string("GET http://") + updateHost + "/games/brivane/ver.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(h.g.updateBuffer, "");
}

TEST(UpdateCheck, ReadsTheReplyAndOffersOnlyADifferentVersion) {
    const struct {
        const char* reply;
        bool offered;
        const char* version;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\ntmkver:1.3.8", false, ""},  // no line end at the very end
        {"tmkver:1.3.8\r\n", false, ""},
        {"tmkver:1.3.8 beta\r\n", false, ""},  // letters and blanks vanish
        {"tmkver:-1.3.8\r\n", false, ""},
        {"tmkver: 1.4.0\r\n", true, "1.4.0"},
        {"tmkver:1.4.0rc1\r\n", true, "1.4.01"},
        {"tmkver:1.4.0beta\r\n", true, "1.4.0"},
        {"tmkver:\r\n", true, ""},  // empty differs too
        {"tmkver:", true, ""},
        {"tmkver:1.10.0\r\n", true, "1.10.0"},
        {"tmkver:1.2.0\r\n", true, "1.2.0"},
        {"tmkver:1.4\n.0", true, "1.4"},  // LF ends as well as CR
        {"tmkver:1.4\r.0", true, "1.4"},
        {"tmkver:2.0\r\ntmkver:1.3.8\r\n", true, "2.0"},  // the first key counts
        {"xtmkver:1.4\r\n", true, "1.4"},
        {"tmkver:<a href='x'>9</a>\r\n", true, "9"},  // markup cannot reach the dialog
        {"TMKVER:1.4.0\r\n", false, ""},              // case matters
        {"tmkver 1.4.0\r\n", false, ""},
        {"HTTP/1.0 404 Not Found\r\n\r\n", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        Harness h;
        exchange(h, {c.reply});
        if (c.offered) {
            ASSERT_EQ(h.pf.dialogs.size(), 1u) << c.reply;
            EXPECT_EQ(h.pf.dialogs[0].text, offerText(c.version)) << c.reply;
            EXPECT_EQ(h.pf.dialogs[0].title, "Brivane");
            EXPECT_EQ(h.pf.dialogs[0].buttons, DialogButtons::yesNo);
        } else {
            EXPECT_TRUE(h.pf.dialogs.empty()) << c.reply;
        }
        EXPECT_TRUE(h.pf.webPagesOpened.empty()) << c.reply;  // unanswered means No
    }
}

TEST(UpdateCheck, ReplyInPiecesAndCutOffReply) {
    const struct {
        std::initializer_list<const char*> pieces;
        const char* version;
    } cases[] = {
        {{"HTTP/1.0 200 OK\r\n\r\ntmk", "ver:1.", "4.0\r\n"}, "1.4.0"},
        {{"tmkver:1.4"}, "1.4"},  // cut off mid-number: parsed as it stands
    };
    for (const auto& c : cases) {
        Harness h;
        exchange(h, c.pieces);
        ASSERT_EQ(h.pf.dialogs.size(), 1u);
        EXPECT_EQ(h.pf.dialogs[0].text, offerText(c.version));
    }
}

// Hands the reply out one character per read, to see where one data event stops reading.
class TricklePlatform : public HeadlessPlatform {
  public:
    std::string socketRead() override {
        if (sockIncoming.empty()) {
            return {};
        }
        std::string first = sockIncoming.substr(0, 1);
        sockIncoming.erase(0, 1);
        return first;
    }
};

TEST(UpdateCheck, OneDataEventReadsAtMost49TimesAndOnlyWhileConnected) {
    const struct {
        SocketState state;
        std::size_t kept;
    } cases[] = {
        {SocketState::connected, 49},
        {SocketState::connecting, 0},
        {SocketState::closed, 0},
    };
    for (const auto& c : cases) {
        TricklePlatform pf;
        GameState g(pf);
        pf.sockState = c.state;
        pf.sockIncoming = std::string(60, '7');
        sockDataArrival(g);
        EXPECT_EQ(g.updateBuffer.size(), c.kept);
    }
}

TEST(UpdateCheck, OfferedAtMostOncePerRun) {
    Harness h;
    exchange(h, {"tmkver:1.4.0\r\n"});
    exchange(h, {"tmkver:1.5.0\r\n"});
    reportNewVersion(h.g, "2.0");
    EXPECT_EQ(h.pf.dialogs.size(), 1u);
    EXPECT_TRUE(h.g.updateNoticeShown);
}

TEST(UpdateCheck, YesOpensOurOwnPageAndNoDoesNothing) {
    const struct {
        const char* answer;
        bool opened;
    } cases[] = {{"yes", true}, {"no", false}};
    for (const auto& c : cases) {
        Harness h;
        h.pf.queueDialogAnswer(c.answer);
        exchange(h,
                 {"tmkver:1.4.0 http://elsewhere.example/ver\r\nLocation: http://x.example\r\n"});
        ASSERT_EQ(h.pf.dialogs.size(), 1u);
        if (c.opened) {
            EXPECT_EQ(h.pf.webPagesOpened,
                      std::vector<std::string>{std::string(webSite) + "/games/brivane"});
        } else {
            EXPECT_TRUE(h.pf.webPagesOpened.empty());
        }
    }
}

TEST(UpdateCheck, StartUpAsksOnlyWhenTheSettingIsOn) {
    const struct {
        const char* stored;  // nullptr: nothing stored
        std::size_t connects;
    } cases[] = {{nullptr, 1}, {"True", 1}, {"False", 0}};
    for (const auto& c : cases) {
        Harness h;
        if (c.stored != nullptr) {
            h.pf.settings[{"misc", "checkUpdates"}] = c.stored;
        }
        h.start();
        EXPECT_EQ(h.pf.sockConnects.size(), c.connects);
        EXPECT_TRUE(h.pf.dialogs.empty());  // start-up does not wait for the answer
    }
}

TEST(SettingsMenu, UpdatesItemFlipsAndStoresWithoutTouchingTheSocket) {
    Harness h;
    h.start();
    const std::size_t connects = h.pf.sockConnects.size();
    ASSERT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsUpdates));
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuSettingsUpdates));
    h.passes(1);
    EXPECT_FALSE(h.pf.menuChecked(MenuItem::mnuSettingsUpdates));
    EXPECT_EQ((h.pf.settings[{"misc", "checkUpdates"}]), "False");
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuSettingsUpdates));
    h.passes(1);
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsUpdates));
    EXPECT_EQ((h.pf.settings[{"misc", "checkUpdates"}]), "True");
    // A check already under way goes on; none is started or stopped.
    EXPECT_EQ(h.pf.sockConnects.size(), connects);
    EXPECT_EQ(h.pf.sockCloses, 0);
}

}  // namespace
}  // namespace brivane
