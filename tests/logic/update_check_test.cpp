// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The update check on the headless socket, and the Help menu's About and Help Topics.
#include <gtest/gtest.h>

#include <tuple>

#include "harness.h"
#include "settings/about_help.h"
#include "settings/update_check.h"
#include "version.h"

namespace brivane {
namespace {

using test::Harness;
using Kind = ScriptedEvent::Kind;

// One whole exchange through the game's event handlers: open, the reply in pieces, close.
void exchange(Harness& h, const std::vector<std::string>& pieces) {
    startUpdateCheck(h.g);
    h.pf.post(ScriptedEvent::with(Kind::socketConnected));
    for (const std::string& piece : pieces) {
        h.pf.post(ScriptedEvent::run([&h, piece] { h.pf.sockIncoming += piece; }));
        h.pf.post(ScriptedEvent::with(Kind::socketData));
    }
    h.pf.post(ScriptedEvent::with(Kind::socketClosed));
    h.pf.processEvents();
}

std::string offerText(const std::string& version) {
    return "(This update check can be disabled in settings)\r\nThere is a more recent version (" +
           version +
           ") of this game available at\r\nhttp://www.brivane.net\r\n"
           "Would you like to go to the web site now?";
}

TEST(UpdateCheck, ConnectsClosingAnyEarlierConnectionAndSendsTheRequestOnceOpen) {
    const std::pair<SocketState, int> cases[] = {
        {SocketState::closed, 0}, {SocketState::connecting, 1}, {SocketState::connected, 1}};
    for (const auto& [before, closes] : cases) {
        Harness h;
        h.pf.sockState = before;
        h.g.updateBuffer = "left over";
        startUpdateCheck(h.g);
        EXPECT_EQ(h.pf.sockCloses, closes);
        EXPECT_EQ(h.pf.sockConnects, (std::vector<std::pair<std::string, int>>{{updateHost, 80}}));
        EXPECT_TRUE(h.pf.sockSent.empty());
        h.pf.post(ScriptedEvent::with(Kind::socketConnected));
        h.pf.processEvents();
        EXPECT_EQ(h.pf.sockSent, std::string("GET http://") + updateHost +
                                     "/games/brivane/ver.txt HTTP/1.0\r\n\r\n");
        EXPECT_TRUE(h.g.updateBuffer.empty() && h.pf.dialogs.empty());  // a fresh reply
    }
}

// Anything else ends the check without a word.
TEST(UpdateCheck, OffersOnlyAWellFormedNewerVersionFromASuccessfulReply) {
    const std::string letters(10000, 'a');
    const struct {
        std::vector<std::string> reply;
        const char* version;  // nullptr: no offer
    } cases[] = {
        // clang-format off
        {{"tmkver:1.3.8\r\n"}, nullptr}, {{"tmkver:1.3.8"}, nullptr},  // ours
        // Newer part by part, a missing part counting as 0.
        {{"tmkver:1.2.0\r\n"}, nullptr}, {{"tmkver:1.3"}, nullptr}, {{"tmkver:1.3.8.0"}, nullptr},
        {{"tmkver:01.03.008"}, nullptr}, {{"tmkver:1.3.7.9"}, nullptr},
        {{"tmkver:1.3.8.1"}, "1.3.8.1"}, {{"tmkver:1.3.9"}, "1.3.9"}, {{"tmkver:1.10.0"}, "1.10.0"},
        {{"tmkver:2"}, "2"}, {{"tmkver:99999999999999999999999"}, "99999999999999999999999"},
        {{"tmkver: 1.4.0\t\r\n"}, "1.4.0"},  // blanks around it are not part of it
        {{"tmkver:1.4\n.0"}, "1.4"}, {{"tmkver:1.4\r.0"}, "1.4"},  // LF ends as well as CR
        {{"tmkver:2.0\r\ntmkver:1.3.8\r\n"}, "2.0"},  // the first key counts
        {{"xtmkver:1.4\r\n"}, "1.4"}, {{"TMKVER:1.4.0\r\n"}, nullptr},  // case matters
        {{"HTTP/1.0 200 OK\r\n\r\ntmk", "ver:1.", "4.0\r\n"}, "1.4.0"},  // in pieces
        // Not a version: nothing, noise, suffixes, markup, controls, too many parts or letters.
        {{"tmkver:\r\n"}, nullptr}, {{"tmkver:"}, nullptr}, {{"tmkver:" + letters}, nullptr},
        {{"tmkver:1.3.8 beta\r\n"}, nullptr}, {{"tmkver:1.4.0rc1\r\n"}, nullptr},
        {{"tmkver:<a href='x'>9</a>\r\n"}, nullptr}, {{"tmkver:1.4\x01\x1b[2J\r\n"}, nullptr},
        {{"tmkver:1.4..0"}, nullptr}, {{"tmkver:.1.4"}, nullptr}, {{"tmkver:1.4."}, nullptr},
        {{"tmkver:1.4.3.4\r\n"}, "1.4.3.4"}, {{"tmkver:1.4.3.4.5\r\n"}, nullptr},
        {{"tmkver:1234567.1234567.1234567.12345678"}, "1234567.1234567.1234567.12345678"},
        {{"tmkver:1234567.1234567.1234567.123456789"}, nullptr},  // 33 characters
        // The status line, when there is one, must say success.
        {{"HTTP/1.1 299 Fine\r\n\r\ntmkver:1.4.0"}, "1.4.0"},
        {{"HTTP/1.0 204\r\n\r\ntmkver:1.4.0"}, "1.4.0"},
        {{"HTTP/1.0 404 Not Found\r\n\r\n<p>no tmkver:1.4.0 here</p>"}, nullptr},
        {{"HTTP/1.0 199 x\r\n\r\ntmkver:1.4.0"}, nullptr}, {{"HTTP/1.0 300 x\r\n\r\ntmkver:1.4.0"}, nullptr},
        {{"HTTP/1.0 2000 x\r\n\r\ntmkver:1.4.0"}, nullptr}, {{"HTTP/1.0 2x0 x\r\n\r\ntmkver:1.4.0"}, nullptr},
        {{"HTTP/1.0\r\ntmkver:1.4.0"}, nullptr},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.front().substr(0, 60));
        Harness h;
        exchange(h, c.reply);
        ASSERT_EQ(h.pf.dialogs.size(), c.version ? 1u : 0u);
        if (c.version) {
            const Dialog& d = h.pf.dialogs[0];
            EXPECT_EQ(std::tuple(d.text, d.title, d.buttons),
                      std::tuple(offerText(c.version), "Brivane", DialogButtons::yesNo));
        }
        EXPECT_TRUE(h.pf.webPagesOpened.empty());  // unanswered means No
    }
}

TEST(UpdateCheck, OneDataEventReadsAtMost49TimesAndOnlyWhileConnected) {
    // Hands the reply out one character per read, to see where one data event stops reading.
    struct TricklePlatform : HeadlessPlatform {
        std::string socketRead() override {
            std::string first = sockIncoming.substr(0, 1);
            sockIncoming.erase(0, first.size());
            return first;
        }
    };
    const std::pair<SocketState, std::size_t> cases[] = {
        {SocketState::connected, 49}, {SocketState::connecting, 0}, {SocketState::closed, 0}};
    for (const auto& [state, kept] : cases) {
        TricklePlatform pf;
        GameState g(pf);
        pf.sockState = state;
        pf.sockIncoming = std::string(60, '7');
        sockDataArrival(g);
        EXPECT_EQ(g.updateBuffer.size(), kept);
    }
}

TEST(UpdateCheck, OfferedAtMostOncePerRunAndYesOpensOurOwnPage) {
    for (const bool yes : {true, false}) {
        Harness h;
        h.pf.queueDialogAnswer(yes ? "yes" : "no");
        exchange(h,
                 {"tmkver:1.4.0 http://elsewhere.example/ver\r\nLocation: http://x.example\r\n"});
        exchange(h, {"tmkver:1.5.0\r\n"});
        reportNewVersion(h.g, "2.0");
        EXPECT_TRUE(h.pf.dialogs.size() == 1 && h.g.updateNoticeShown);
        EXPECT_EQ(h.pf.webPagesOpened,
                  yes ? std::vector<std::string>{std::string(webSite) + "/games/brivane"}
                      : std::vector<std::string>{});
    }
}

TEST(SettingsMenu, UpdatesItemFlipsAndStoresWithoutTouchingTheSocket) {
    test::Started h;
    const std::size_t connects = h.pf.sockConnects.size();
    for (const bool on : {false, true}) {
        h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsUpdates));
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsUpdates), on);
        EXPECT_EQ((h.pf.settings[{"misc", "checkUpdates"}]), on ? "True" : "False");
    }
    // A check already under way goes on; none is started or stopped.
    EXPECT_EQ(std::tuple(h.pf.sockConnects.size(), h.pf.sockCloses), std::tuple(connects, 0));
}

TEST(HelpMenu, AboutShowsVersionAndHostWithOkAndHelpTopicsOpensTheDocumentBesideTheProgram) {
    test::Harness h;
    h.pf.folder = "/home/someone/games/brivane dir";
    h.start();
    h.send(ScriptedEvent::menuItem(MenuItem::mnuHelpAbout));
    ASSERT_EQ(h.pf.dialogs.size(), 1u);
    EXPECT_EQ(h.pf.dialogs[0].text,
              "Brivane\r\nVersion 1.3.8\r\nwww.brivane.net\r\n"
              "Free software under the GNU GPL, version 3 or later");
    EXPECT_EQ(h.pf.dialogs[0].buttons, DialogButtons::ok);
    // Twice, and neither waits for the viewer.
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuHelpHelp));
    h.send(ScriptedEvent::menuItem(MenuItem::mnuHelpHelp));
    EXPECT_EQ(h.pf.helpShown,
              (std::vector<std::string>(2, "/home/someone/games/brivane dir/brivane.hlp")));
    EXPECT_TRUE(h.pf.dialogs.size() == 1 && !h.g.ended);
}

}  // namespace
}  // namespace brivane
