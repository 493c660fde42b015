// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Settings > Check for updates on startup, Help > About and Help > Help Topics.
#include "settings/about_help.h"

#include <string>

#include "settings/settings_store.h"
#include "version.h"

namespace brivane {

namespace {

// The web site's host name alone: no scheme, port or path, as a reader would type it.
std::string webHost() {
    std::string host = webSite;
    const std::size_t scheme = host.find("://");
    if (scheme != std::string::npos) {
        host.erase(0, scheme + 3);
    }
    const std::size_t end = host.find_first_of(":/");
    if (end != std::string::npos) {
        host.erase(end);
    }
    return host;
}

}  // namespace

void menuUpdates(GameState& g) {
    g.pf.setMenuChecked(MenuItem::mnuSettingsUpdates,
                        !g.pf.menuChecked(MenuItem::mnuSettingsUpdates));
    saveCheckUpdates(g, g.pf.menuChecked(MenuItem::mnuSettingsUpdates));
}

void menuAbout(GameState& g) {
    g.pf.messageBox("Brivane\r\nVersion " + std::to_string(versionMajor) + "." +
                        std::to_string(versionMinor) + "." + std::to_string(versionRevision) +
                        "\r\n" + webHost() +
                        "\r\nFree software under the GNU GPL, version 3 or later",
                    "Brivane", DialogButtons::ok);
}

void menuHelpTopics(GameState& g) {
    g.pf.showHelp(g.pf.programFolder() + "/brivane.hlp");
}

}  // namespace brivane
