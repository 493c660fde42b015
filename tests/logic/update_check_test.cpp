// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The update check on the headless socket, and the Help menu's About and Help Topics.

#include "settings/update_check.h"
#include "harness.h"
#include "settings/about_help.h"
#include "version.h"

namespace brivane {
namespace {

// One whole exchange through the game's event handlers: open, the reply in pieces, close.
void exchange(test::Harness& h, const std::vector<std::string>& pieces) {
    startUpdateCheck(h.g);
    h.pf.post(ScriptedEvent::with(ScriptedEvent::Kind::socketConnected));
    for (const std::string& piece : pieces) {
        h.pf.post(ScriptedEvent::run([&h, piece] { h.pf.sockIncoming += piece; }));
        h.pf.post(ScriptedEvent::with(ScriptedEvent::Kind::socketData));
    }
    h.pf.post(ScriptedEvent::with(ScriptedEvent::Kind::socketClosed));
    h.pf.processEvents();
}

// Anything else ends the check without a word.
TEST(UpdateCheck, OffersOnlyAWellFormedNewerVersionFromASuccessfulReply) {
    // Newer part by part, a missing part counting as 0; one to four numbers, 32 characters at most.
    for (const char* v : {"1.3.8.1", "1.3.9", "1.10.0", "2", "99999999999999999999999", "1.4.3.4",
                          "1234567.1234567.1234567.12345678"}) {
        EXPECT_EQ(offeredVersion(std::string("tmkver:") + v), v);
    }
    // Ours or older; nothing, noise, suffixes, markup, controls, too many parts or characters.
    for (const std::string v :
         {"1.3.8", "1.2.0", "1.3", "1.3.8.0", "01.03.008", "1.3.7.9", "", "1.3.8 beta", "1.4.0rc1",
          "<a href='x'>9</a>", "1.4\x01\x1b[2J", "1.4..0", ".1.4", "1.4.", "1.4.3.4.5",
          "1234567.1234567.1234567.123456789"}) {
        EXPECT_EQ(offeredVersion("tmkver:" + v + "\r\n"), std::nullopt) << v;
    }
    EXPECT_EQ(offeredVersion("tmkver:" + std::string(10000, 'a')), std::nullopt);
    const std::pair<const char*, std::optional<std::string>> replies[] = {
        // clang-format off
        {"tmkver:1.3.8", {}}, {"tmkver:", {}}, {"tmkver: 1.4.0\t\r\n", "1.4.0"},  // blanks not part of it
        {"tmkver:1.4\n.0", "1.4"}, {"tmkver:1.4\r.0", "1.4"},  // LF ends as well as CR
        {"tmkver:2.0\r\ntmkver:1.3.8\r\n", "2.0"},  // the first key counts
        {"xtmkver:1.4\r\n", "1.4"}, {"TMKVER:1.4.0\r\n", {}},  // case matters
        // The status line, when there is one, must say success.
        {"HTTP/1.1 299 Fine\r\n\r\ntmkver:1.4.0", "1.4.0"}, {"HTTP/1.0 204\r\n\r\ntmkver:1.4.0", "1.4.0"},
        {"HTTP/1.0 199 x\r\n\r\ntmkver:1.4.0", {}}, {"HTTP/1.0 300 x\r\n\r\ntmkver:1.4.0", {}},
        {"HTTP/1.0 2000 x\r\n\r\ntmkver:1.4.0", {}}, {"HTTP/1.0 2x0 x\r\n\r\ntmkver:1.4.0", {}},
        {"HTTP/1.0 404 Not Found\r\n\r\n<p>no tmkver:1.4.0 here</p>", {}}, {"HTTP/1.0\r\ntmkver:1.4.0", {}},
        // clang-format on
    };
    for (const auto& [reply, version] : replies) {
        EXPECT_EQ(offeredVersion(reply), version) << reply;
    }
}

TEST(UpdateCheck, OneDataEventReadsAtMost49TimesAndOnlyWhileConnected) {
    // An endless trickle, a character a read, to see where one data event stops reading.
    struct TricklePlatform : HeadlessPlatform {
        std::string socketRead() override { return "7"; }
    };
    for (const auto& [state, kept] :
         {std::pair{SocketState::connected, 49u}, {SocketState::connecting, 0u}}) {
        TricklePlatform pf;
        GameState g(pf);
        pf.sockState = state;
        sockDataArrival(g);
        EXPECT_EQ(g.updateBuffer.size(), kept);
    }
}

// An earlier connection and reply are dropped; the reply comes in pieces; the page is our own.
TEST(UpdateCheck, AsksOnceOpenOffersAtMostOncePerRunAndYesOpensOurOwnPage) {
    const std::string request =
        std::string("GET http://") + updateHost + "/games/brivane/ver.txt HTTP/1.0\r\n\r\n";
    for (const bool yes : {true, false}) {
        test::Harness h;
        h.pf.queueDialogAnswer(yes ? "yes" : "no");
        h.g.updateBuffer = "tmkver:9.9\r\n";
        exchange(h,
                 {"HTTP/1.0 200 OK\r\n\r\ntmk", "ver:1.", "4.0\r\nLocation: http://x.example\r\n"});
        EXPECT_EQ(h.pf.sockCloses, 0);
        h.pf.sockState = yes ? SocketState::connecting : SocketState::connected;
        exchange(h, {"tmkver:1.5.0\r\n"});
        reportNewVersion(h.g, "2.0");
        EXPECT_EQ(std::tuple(h.pf.sockCloses, h.pf.sockConnects, h.pf.sockSent),
                  std::tuple(1, std::vector(2, std::pair{std::string(updateHost), 80}),
                             request + request));
        ASSERT_TRUE(h.pf.dialogs.size() == 1 && h.g.updateNoticeShown);
        EXPECT_NE(h.pf.dialogs[0].text.find("(1.4.0) of this game available at\r\n" +
                                            std::string(webSite) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(h.pf.webPagesOpened,
                  std::vector<std::string>(yes ? 1 : 0, std::string(webSite) + "/games/brivane"));
    }
}

// About names the site; Help Topics never waits for the viewer; Updates leaves a check under way.
TEST(HelpAndSettingsMenus, AboutHelpTopicsAndTheUpdatesItemThatTouchesNoSocket) {
    test::Harness h;
    h.start();
    h.send(ScriptedEvent::menuItem(MenuItem::mnuHelpAbout));
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuHelpHelp));
    h.send(ScriptedEvent::menuItem(MenuItem::mnuHelpHelp));
    ASSERT_EQ(h.pf.dialogs.size(), 1u);  // About's; the viewer's opening says nothing
    EXPECT_NE(h.pf.dialogs[0].text.find("\r\nVersion 1.3.8\r\nwww.brivane.net\r\n"),
              std::string::npos);
    EXPECT_EQ(h.pf.helpShown, std::vector<std::string>(2, "/opt/brivane/brivane.hlp"));
    for (const bool on : {false, true}) {
        h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsUpdates));
        EXPECT_EQ(std::tuple(h.pf.menuChecked(MenuItem::mnuSettingsUpdates),
                             h.pf.settings[{"misc", "checkUpdates"}]),
                  std::tuple(on, on ? "True" : "False"));
    }
    EXPECT_EQ(std::tuple(h.pf.sockConnects.size(), h.pf.sockCloses, h.g.ended),
              std::tuple(1u, 0, false));  // the start's own check
}

}  // namespace
}  // namespace brivane
