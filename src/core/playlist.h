// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading an M3U playlist: which files it lists, in order, resolved against its own folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brivane {

// The files an M3U text lists, in the order given. Comment and #EXT lines and blank lines are
// skipped; relative paths are resolved against folder (the playlist's own folder), absolute
// paths and file:// addresses are taken as they stand, and other addresses are skipped, as is
// every entry for which exists() is false.
std::vector<std::string> parseM3u(std::string_view text, const std::string& folder,
                                  const std::function<bool(const std::string&)>& exists);

}  // namespace brivane
