// SPDX-License-Identifier: MIT
#include "platform/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nirdal {

namespace {

const char* KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

// Opens file as OpenRegularFile does; kind names what stood there when it was no regular file.
int Open(const std::filesystem::path& file, const char*& kind)
{
    kind = nullptr;
    // Without O_NONBLOCK, opening a FIFO waits until some process opens it for writing.
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return -1;
    struct stat status
    {
    };
    int code = 0;
    if (::fstat(descriptor, &status) != 0) {
        code = errno;
    } else if (!S_ISREG(status.st_mode)) {
        kind = KindOf(status.st_mode);
        code = S_ISDIR(status.st_mode) ? EISDIR : ENODEV;
    } else if (const int flags = ::fcntl(descriptor, F_GETFL);
               flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        code = errno;
    }
    if (code == 0)
        return descriptor;
    ::close(descriptor);
    errno = code;
    return -1;
}

} // namespace

int OpenRegularFile(const std::filesystem::path& file)
{
    const char* kind = nullptr;
    return Open(file, kind);
}

bool ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes, std::string& bytes,
                     std::string& error)
{
    bytes.clear();
    const char* kind = nullptr;
    const int descriptor = Open(file, kind);
    if (descriptor < 0) {
        const int code = errno;
        error = file.string() + ": " +
                (kind != nullptr ? std::string("is ") + kind + ", not a file"
                                 : std::string(std::strerror(code)));
        errno = code;
        return false;
    }
    // The size fstat gave may change while the file is read: read up to one byte past the
    // limit and judge by what arrived.
    int code = 0;
    char buffer[65536];
    while (code == 0) {
        const std::size_t room = std::min(sizeof buffer, maxBytes + 1 - bytes.size());
        const ssize_t got = ::read(descriptor, buffer, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            code = errno;
        else if (got == 0)
            break;
        else
            bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > maxBytes)
            code = EFBIG;
    }
    ::close(descriptor);
    if (code == 0)
        return true;
    bytes.clear();
    error = file.string() + ": " +
            (code == EFBIG ? "larger than " + std::to_string(maxBytes) + " bytes, not read"
                           : std::string(std::strerror(code)));
    errno = code;
    return false;
}

} // namespace nirdal
