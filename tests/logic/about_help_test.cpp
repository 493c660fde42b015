// Help > About and Help > Help Topics, chosen from the menu during play.
#include <gtest/gtest.h>

#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

TEST(HelpMenu, AboutShowsVersionAndHostOnlyWithOk) {
    Harness h;
    h.start();
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuHelpAbout));
    h.passes(1);
    ASSERT_EQ(h.pf.dialogs.size(), 1u);
    EXPECT_EQ(h.pf.dialogs[0].text, "Brivane\r\nVersion 1.3.8\r\nwww.brivane.net");
    EXPECT_EQ(h.pf.dialogs[0].title, "Brivane");
    EXPECT_EQ(h.pf.dialogs[0].buttons, DialogButtons::ok);
    EXPECT_FALSE(h.pf.dialogs[0].input);
    EXPECT_FALSE(h.g.ended);
}

TEST(HelpMenu, HelpTopicsOpensTheDocumentBesideTheProgramWithoutWaiting) {
    const char* folders[] = {"/opt/brivane", "/home/someone/games/brivane dir"};
    for (const char* folder : folders) {
        Harness h;
        h.pf.folder = folder;
        h.start();
        h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuHelpHelp));
        h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuHelpHelp));
        h.passes(2);
        EXPECT_EQ(h.pf.helpShown,
                  (std::vector<std::string>(2, std::string(folder) + "/brivane.hlp")));
        EXPECT_TRUE(h.pf.dialogs.empty());
    }
}

}  // namespace
}  // namespace brivane
