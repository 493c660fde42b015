// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzing the update reply scanner: any bytes a server sends, whole, as the game would read
// them once the server closes. An offer, when there is one, must be a plain version number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> version = brivane::offeredVersion(reply);
    if (version && (version->empty() || version->size() > 32 ||
                    version->find_first_not_of("0123456789.") != std::string::npos)) {
        std::abort();
    }
    return 0;
}
