// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzing the replay file reader: any file contents. A file it accepts must write back to text
// that reads as the very same replay, since recordings are written by the same functions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "replay/replay_file.h"

namespace {

std::string writeBack(const brivane::Replay& r) {
    std::string text = brivane::headerText(r);
    for (const brivane::ReplayPassDuration& d : r.durations) {
        text += "pass " + std::to_string(d.pass) + " " + std::to_string(d.ms) + "\n";
    }
    for (std::size_t i = 0; i < r.inputs.size(); ++i) {
        text += "at " + brivane::yieldText(r.inputs[i].at) + " " + brivane::eventText(r.event(i)) +
                "\n";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brivane::ReplayParse first =
        brivane::parseReplay(std::string(reinterpret_cast<const char*>(data), size));
    if (!first.replay) {
        if (first.error.line < 1 || first.error.message.empty()) {
            std::abort();  // every refusal names its line and says why
        }
        return 0;
    }
    const std::string text = writeBack(*first.replay);
    const brivane::ReplayParse second = brivane::parseReplay(text);
    if (!second.replay || writeBack(*second.replay) != text) {
        std::abort();
    }
    return 0;
}
