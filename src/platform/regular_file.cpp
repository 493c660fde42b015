// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Files opened without waiting (O_NONBLOCK), so opening a FIFO returns at once, and read only
// after fstat on the open descriptor says it is a regular file, so nothing can be swapped in
// between the look and the read.
#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace brivane {

namespace {

FileCheck checkOpen(int fd, std::size_t limit, bool cutAtLimit, std::size_t& size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return FileCheck::unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        return FileCheck::notRegular;
    }
    size = static_cast<std::size_t>(info.st_size);
    if (!cutAtLimit && size > limit) {
        return FileCheck::tooLarge;
    }
    return FileCheck::regular;
}

int openForReading(const std::string& path, FileCheck& failure) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        failure = errno == ENOENT || errno == ENOTDIR ? FileCheck::missing : FileCheck::unreadable;
    }
    return fd;
}

}  // namespace

FileCheck checkRegularFile(const std::string& path, std::size_t limit) {
    FileCheck result = FileCheck::missing;
    const int fd = openForReading(path, result);
    if (fd < 0) {
        return result;
    }
    std::size_t size = 0;
    result = checkOpen(fd, limit, false, size);
    ::close(fd);
    return result;
}

FileRead readRegularFile(const std::string& path, std::size_t limit, bool cutAtLimit) {
    FileRead read;
    const int fd = openForReading(path, read.check);
    if (fd < 0) {
        return read;
    }
    std::size_t size = 0;
    read.check = checkOpen(fd, limit, cutAtLimit, size);
    if (read.check == FileCheck::regular) {
        // The buffer starts at the size the file has and grows while it still gives more, to
        // one byte past the limit: a file that grows after the look is cut (or refused) at the
        // limit all the same.
        read.bytes.resize(std::min(size, limit) + 1);
        std::size_t got = 0;
        while (true) {
            if (got == read.bytes.size()) {
                if (read.bytes.size() > limit) {
                    break;
                }
                read.bytes.resize(std::min(read.bytes.size() * 2, limit + 1));
            }
            const ssize_t n = ::read(fd, read.bytes.data() + got, read.bytes.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                read.check = FileCheck::unreadable;
                break;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        if (got > limit) {
            got = limit;
            if (!cutAtLimit) {
                read.check = FileCheck::tooLarge;
            }
        }
        read.bytes.resize(read.check == FileCheck::regular ? got : 0);
        read.bytes.shrink_to_fit();
    }
    ::close(fd);
    return read;
}

bool replaceFile(const std::string& path, const std::string& bytes) {
    std::vector<char> temporary(path.begin(), path.end());
    for (const char c : std::string(".XXXXXX")) {
        temporary.push_back(c);
    }
    temporary.push_back('\0');
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // mkostemp makes the file private; a scores file is as readable as any the user creates.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.data(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.data());
    return false;
}

}  // namespace brivane
