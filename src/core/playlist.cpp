// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// M3U playlists. Playlists come from other players and other systems, so line ends may be
// CR LF or bare CR, a UTF-8 byte-order mark may lead, and entries may be padded with blanks.
#include "core/playlist.h"

namespace brivane {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// file:// addresses escape blanks and other bytes as %XX; a malformed escape stays as written.
std::string percentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = hexDigit(s[i + 1]);
            const int lo = hexDigit(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] - 'A' + 'a') : s[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

// "http://..." and the like: a scheme of two or more letters before "://" (one letter would be
// a drive name, which is no address).
bool isAddress(std::string_view s) {
    const std::size_t colon = s.find("://");
    if (colon == std::string_view::npos || colon < 2) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = s[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!(letter || (i > 0 && other))) {
            return false;
        }
    }
    return true;
}

// The local path an entry names, or "" when it names none.
std::string entryPath(std::string_view entry, const std::string& folder) {
    if (startsWithNoCase(entry, "file://")) {
        std::string_view rest = entry.substr(7);
        if (startsWithNoCase(rest, "localhost/")) {
            rest.remove_prefix(9);
        }
        return !rest.empty() && rest.front() == '/' ? percentDecoded(rest) : std::string();
    }
    if (isAddress(entry)) {
        return {};
    }
    if (entry.front() == '/') {
        return std::string(entry);
    }
    if (folder.empty()) {
        return std::string(entry);
    }
    std::string path = folder;
    if (path.back() != '/') {
        path.push_back('/');
    }
    path.append(entry);
    return path;
}

}  // namespace

std::vector<std::string> parseM3u(std::string_view text, const std::string& folder,
                                  const std::function<bool(const std::string&)>& exists) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.substr(0, bom.size()) == bom) {
        text.remove_prefix(bom.size());
    }
    std::vector<std::string> files;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::string path = entryPath(line, folder);
        if (!path.empty() && exists(path)) {
            files.push_back(std::move(path));
        }
    }
    return files;
}

}  // namespace brivane
