// Settings > Check for updates on startup, Help > About and Help > Help Topics.
#include "settings/about_help.h"

#include "settings/settings_store.h"

namespace brivane {

void menuUpdates(GameState& g) {
    g.pf.setMenuChecked(MenuItem::mnuSettingsUpdates,
                        !g.pf.menuChecked(MenuItem::mnuSettingsUpdates));
    saveCheckUpdates(g, g.pf.menuChecked(MenuItem::mnuSettingsUpdates));
}

void menuAbout(GameState&) {}

void menuHelpTopics(GameState&) {}

}  // namespace brivane
