// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading the files the game is handed by the world outside (scores, settings, sounds, the
// playlist and what it lists, the help document and its pictures, replays) with the same care:
// a path is read only when it names a regular file of a size fit for what it should hold, so a
// FIFO cannot hold the game up and a link to a device cannot feed it without end. Paths are
// bytes, as the file system keeps them, so a folder whose name is not UTF-8 still works.
#pragma once

#include <cstddef>
#include <string>

namespace brivane {

enum class FileCheck { regular, missing, notRegular, tooLarge, unreadable };

struct FileRead {
    FileCheck check = FileCheck::missing;
    std::string bytes;  // what was read, only when check is regular
};

// Whether path names a regular file (links followed) of at most limit bytes, without reading
// it: for files that a library opens by its name.
FileCheck checkRegularFile(const std::string& path, std::size_t limit);

// Reads a regular file of at most limit bytes. A larger one is refused, or with cutAtLimit
// read up to the limit (for a file whose reader looks only at its first lines).
FileRead readRegularFile(const std::string& path, std::size_t limit, bool cutAtLimit = false);

// Replaces path with bytes atomically: a temporary file beside it, flushed to the disk, then
// renamed over it. False when any step fails; the old file then stays as it was.
bool replaceFile(const std::string& path, const std::string& bytes);

}  // namespace brivane
