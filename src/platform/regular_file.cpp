// Files opened without waiting (O_NONBLOCK), so opening a FIFO returns at once, and read only
// after fstat on the open descriptor says it is a regular file, so nothing can be swapped in
// between the look and the read.
#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace brivane {

namespace {

FileCheck checkOpen(int fd, std::size_t limit, bool cutAtLimit) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return FileCheck::unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        return FileCheck::notRegular;
    }
    if (!cutAtLimit && static_cast<unsigned long long>(info.st_size) > limit) {
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
    result = checkOpen(fd, limit, false);
    ::close(fd);
    return result;
}

FileRead readRegularFile(const std::string& path, std::size_t limit, bool cutAtLimit) {
    FileRead read;
    const int fd = openForReading(path, read.check);
    if (fd < 0) {
        return read;
    }
    read.check = checkOpen(fd, limit, cutAtLimit);
    if (read.check == FileCheck::regular) {
        // The size is looked at again while reading: a file that grows after the look is cut
        // (or refused) at the limit all the same.
        read.bytes.resize(limit + 1);
        std::size_t got = 0;
        while (got < read.bytes.size()) {
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
