// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The update check: one HTTP/1.0 request for the version file, the reply collected until the
// server closes, and the offer to visit the game's page when the published version is newer.
// The reply comes from the network and is not trusted: only a well-formed version number from a
// successful reply ever reaches the screen, and the page opened is always our own address.
// Anything else (an error page, a cut-off or garbled line) ends the check without a word, since
// a failure must never look like news.
#include "settings/update_check.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "version.h"

namespace brivane {

namespace {

constexpr int updatePort = 80;
constexpr const char* versionKey = "tmkver:";
// How often one data event reads before it hands back to the loop.
constexpr int readsPerEvent = 49;
// Longer than any version we will publish; a longer text is noise, not a version.
constexpr std::size_t maxVersionLength = 32;

std::string ownVersion() {
    return std::to_string(versionMajor) + "." + std::to_string(versionMinor) + "." +
           std::to_string(versionRevision);
}

// A line of the reply up to CR, LF or its end.
std::string_view lineAt(std::string_view reply, std::size_t start) {
    const std::size_t end = reply.find_first_of("\r\n", start);
    return reply.substr(start,
                        end == std::string_view::npos ? std::string_view::npos : end - start);
}

// A reply that opens with a status line must carry a 2xx status: an error page that happens to
// mention the key is not an answer. A reply without a status line is the bare file.
bool statusAllowsOffer(std::string_view reply) {
    if (reply.substr(0, 5) != "HTTP/") {
        return true;
    }
    const std::string_view status = lineAt(reply, 0);
    const std::size_t blank = status.find(' ');
    if (blank == std::string_view::npos || status.size() < blank + 4) {
        return false;
    }
    const std::string_view code = status.substr(blank + 1, 3);
    const bool digits =
        std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits && code[0] == '2' && (status.size() == blank + 4 || status[blank + 4] == ' ');
}

// One to four numbers joined by points, and nothing else.
bool wellFormedVersion(std::string_view v) {
    if (v.empty() || v.size() > maxVersionLength) {
        return false;
    }
    int numbers = 0;
    std::size_t i = 0;
    while (true) {
        const std::size_t start = i;
        while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
            ++i;
        }
        if (i == start || ++numbers > 4) {
            return false;
        }
        if (i == v.size()) {
            return true;
        }
        if (v[i] != '.') {
            return false;
        }
        ++i;
    }
}

// The next point-separated number of a version, leading zeros dropped, so that numbers of any
// length compare by their length first and then digit by digit; past the last one, "0".
std::string_view nextPart(std::string_view& v) {
    const std::size_t point = v.find('.');
    std::string_view part = v.substr(0, point);
    v.remove_prefix(point == std::string_view::npos ? v.size() : point + 1);
    while (part.size() > 1 && part.front() == '0') {
        part.remove_prefix(1);
    }
    return part.empty() ? std::string_view("0") : part;
}

// Part by part, a missing part counting as 0: 1.3.8.0 is ours, 1.10 is newer than 1.3.8.
bool newerThanOurs(std::string_view published) {
    const std::string own = ownVersion();
    std::string_view mine = own;
    while (!published.empty() || !mine.empty()) {
        const std::string_view theirs = nextPart(published);
        const std::string_view ours = nextPart(mine);
        if (theirs.size() != ours.size()) {
            return theirs.size() > ours.size();
        }
        if (theirs != ours) {
            return theirs > ours;
        }
    }
    return false;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace

std::optional<std::string> offeredVersion(std::string_view reply) {
    const std::size_t key = reply.find(versionKey);
    if (key == std::string_view::npos || !statusAllowsOffer(reply)) {
        return std::nullopt;
    }
    const std::string_view version =
        trimBlanks(lineAt(reply, key + std::char_traits<char>::length(versionKey)));
    if (!wellFormedVersion(version) || !newerThanOurs(version)) {
        return std::nullopt;
    }
    return std::string(version);
}

void startUpdateCheck(GameState& g) {
    if (g.pf.socketState() != SocketState::closed) {
        g.pf.socketClose();
    }
    g.pf.socketConnect(updateHost, updatePort);
}

void sockConnected(GameState& g) {
    g.updateBuffer.clear();
    g.pf.socketSend(std::string("GET http://") + updateHost +
                    "/games/brivane/ver.txt HTTP/1.0\r\n\r\n");
}

void sockDataArrival(GameState& g) {
    std::string arrived;
    for (int i = 0; i < readsPerEvent; ++i) {
        if (g.pf.socketState() != SocketState::connected) {
            break;
        }
        arrived += g.pf.socketRead();
    }
    g.updateBuffer += arrived;
}

void sockClosed(GameState& g) {
    if (const std::optional<std::string> version = offeredVersion(g.updateBuffer)) {
        reportNewVersion(g, *version);
    }
}

void reportNewVersion(GameState& g, const std::string& version) {
    if (g.updateNoticeShown) {
        return;
    }
    g.updateNoticeShown = true;
    const std::string text = std::string("(This update check can be disabled in settings)\r\n") +
                             "There is a more recent version (" + version +
                             ") of this game available at\r\n" + webSite +
                             "\r\nWould you like to go to the web site now?";
    if (g.pf.messageBox(text, "Brivane", DialogButtons::yesNo) == DialogResult::yes) {
        g.pf.openWebPage(std::string(webSite) + "/games/brivane");
    }
}

}  // namespace brivane
