// SPDX-License-Identifier: MIT
#include "platform/whole_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nirdal {

namespace {

// As the kernel: a chain of more links than this is a loop.
constexpr int kMaxLinkHops = 40;
// mkostemp's six random characters.
constexpr std::size_t kRandomPart = 6;
constexpr std::string_view kTemplateTail = "XXXXXX";

// The name of the temporary files of fileName, without the random part: ".NAME.", the name
// cut short where the whole would be longer than a file name may be.
std::string TemporaryPrefix(std::string_view fileName)
{
    constexpr std::size_t kRoom = NAME_MAX - 2 - kRandomPart;
    return "." + std::string(fileName.substr(0, kRoom)) + ".";
}

// The name with bytes a terminal would act on, and those of broken UTF-8, as \xNN.
std::string Shown(const std::string& name)
{
    if (IsWellFormedUtf8(name)) {
        bool plain = true;
        for (const char c : name)
            plain = plain && (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
        if (plain)
            return name;
    }
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

bool IsWellFormedUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t value = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
            value = lead & 0x1f;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            value = lead & 0x0f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            value = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3f);
        }
        const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
        if (overlong || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
            return false;
        i += length;
    }
    return true;
}

bool IsTemporaryNameOf(std::string_view entry, std::string_view fileName)
{
    const std::string prefix = TemporaryPrefix(fileName);
    if (entry.size() != prefix.size() + kRandomPart || !entry.starts_with(prefix))
        return false;
    for (const char c : entry.substr(prefix.size())) {
        const bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric)
            return false;
    }
    return true;
}

WholeFile::WholeFile(std::filesystem::path destination, FileReaders readers)
    : m_destination(std::move(destination)), m_readers(readers)
{
}

WholeFile::~WholeFile()
{
    Abandon();
}

void WholeFile::Abandon()
{
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

std::string WholeFile::Failure(std::string_view reason) const
{
    std::string message = "cannot write";
    if (!m_destination.empty())
        message += " " + Shown(m_destination.string());
    if (!reason.empty())
        message += ": " + std::string(reason);
    if (m_existed && !m_direct)
        message += "; the file there is left as it was";
    return message;
}

bool WholeFile::Fail(std::string& error, int code, std::string_view what)
{
    Abandon();
    error = Failure(what.empty() ? std::string_view(std::strerror(code)) : what);
    errno = code;
    return false;
}

namespace {

// Whether the kernel, with protected_symlinks set, would follow the link whose status is
// link, in folder: not where another account planted it in a shared sticky folder such as
// /tmp, lest it redirect this account's write onto a file of its own.
bool FollowsLink(const struct stat& link, const std::filesystem::path& folder)
{
    struct stat status
    {
    };
    if (::stat(folder.empty() ? "." : folder.c_str(), &status) != 0)
        return false;
    const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == status.st_uid;
}

} // namespace

// Finds the file to replace: the destination with its symbolic links followed, or the
// device, FIFO or socket it names.
bool WholeFile::Resolve(std::string& error)
{
    const std::string& name = m_destination.native();
    if (name.empty())
        return Fail(error, EINVAL, "no file name given");
    if (name.find('\0') != std::string::npos || !IsWellFormedUtf8(name))
        return Fail(error, EILSEQ, "the name is not valid UTF-8, the encoding of file names here");
    if (!m_destination.has_filename())
        return Fail(error, EISDIR, "the name ends in a folder");

    // The links are followed here, each only where the kernel would follow it, so that the
    // file replaced is the one the links lead to.
    std::filesystem::path path = m_destination;
    struct stat status
    {
    };
    for (int hops = 0;; ++hops) {
        if (::lstat(path.c_str(), &status) != 0) {
            if (errno == ENOENT)
                break;
            return Fail(error, errno);
        }
        if (!S_ISLNK(status.st_mode))
            break;
        if (hops == kMaxLinkHops)
            return Fail(error, ELOOP);
        if (!FollowsLink(status, path.parent_path()))
            return Fail(error, EACCES,
                        "it is a symbolic link that another account owns in a folder open to "
                        "all (sticky, writable by everyone); it is not followed");
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0)
            return Fail(error, errno);
        link.resize(static_cast<std::size_t>(length));
        const std::filesystem::path next(link);
        path = next.is_absolute() ? next : path.parent_path() / next;
        // /dev/stdout and the like lead to a descriptor of this process, which the shell
        // opened: it is written into as it stands.
        if (path.native().starts_with("/proc/")) {
            m_direct = true;
            path = m_destination;
            break;
        }
    }
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return Fail(error, EISDIR, "it is a folder");
        m_direct = !S_ISREG(status.st_mode);
    } else if (errno != ENOENT) {
        return Fail(error, errno);
    }
    m_target = path;
    if (!m_direct && !m_target.has_filename())
        return Fail(error, EISDIR, "the name ends in a folder");
    return true;
}

bool WholeFile::Open(std::string& error)
{
    Abandon();
    m_direct = false;
    m_existed = false;
    if (!Resolve(error))
        return false;

    if (m_direct) {
        // Without blocking: a FIFO that nobody reads is refused at once, not waited on.
        constexpr int kFlags = O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK;
        m_descriptor = ::open(m_target.c_str(), kFlags | O_TRUNC);
        // O_TRUNC means nothing to a device; some refuse it.
        if (m_descriptor < 0 && errno == EINVAL)
            m_descriptor = ::open(m_target.c_str(), kFlags);
        if (m_descriptor < 0 && errno == ENXIO)
            return Fail(error, ENXIO, "it is a FIFO or device that nobody reads");
        if (m_descriptor < 0)
            return Fail(error, errno);
        // Once open, the content goes at the reader's pace.
        const int flags = ::fcntl(m_descriptor, F_GETFL);
        if (flags < 0 || ::fcntl(m_descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0)
            return Fail(error, errno);
        return true;
    }

    struct stat old
    {
    };
    m_existed = ::stat(m_target.c_str(), &old) == 0;
    const std::filesystem::path folder = m_target.parent_path();
    const std::string name =
        TemporaryPrefix(m_target.filename().native()) + std::string(kTemplateTail);
    std::string temporary = (folder.empty() ? std::filesystem::path(name) : folder / name);
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        return Fail(error, errno);
    m_descriptor = descriptor;
    m_temporary = temporary;
    // Held while the file is written: a lock nobody holds marks a temporary file whose
    // writer is gone.
    ::flock(m_descriptor, LOCK_EX);

    mode_t mode = 0644;
    if (m_readers == FileReaders::AsUmaskAllows)
        mode = m_existed ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(m_descriptor, mode) != 0)
        return Fail(error, errno);
    // An administrator replacing another account's file leaves it that account's.
    if (m_existed && ::geteuid() == 0 && ::fchown(m_descriptor, old.st_uid, old.st_gid) != 0) {
        // Then it is the administrator's: the content still goes in place.
    }
    return true;
}

bool WholeFile::Write(std::string_view bytes, std::string& error)
{
    if (m_descriptor < 0)
        return Fail(error, EBADF);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(m_descriptor, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(error, n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WholeFile::Sync(std::string& error)
{
    if (m_descriptor < 0)
        return Fail(error, EBADF);
    return m_direct || ::fsync(m_descriptor) == 0 || Fail(error, errno);
}

bool WholeFile::Commit(std::string& error, const std::function<bool()>& beforeRename)
{
    if (m_descriptor < 0)
        return Fail(error, EBADF);
    if (m_direct) {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return ::close(descriptor) == 0 || Fail(error, errno);
    }
    if (::fsync(m_descriptor) != 0)
        return Fail(error, errno);
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    if (::close(descriptor) != 0)
        return Fail(error, errno);
    if (beforeRename && !beforeRename())
        return Fail(error, ECANCELED, "stopped before the file was put in place");
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return Fail(error, errno);
    m_temporary.clear();
    // The rename itself reaches the disk with the folder.
    const std::filesystem::path folder =
        m_target.parent_path().empty() ? "." : m_target.parent_path();
    if (const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folderDescriptor >= 0) {
        ::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
    RemoveStaleTemporaries();
    return true;
}

// Removes the temporary files of this destination whose writers are gone: nobody holds
// their lock.
void WholeFile::RemoveStaleTemporaries() const
{
    const std::filesystem::path folder =
        m_target.parent_path().empty() ? "." : m_target.parent_path();
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor < 0)
        return;
    DIR* entries = ::fdopendir(folderDescriptor);
    if (entries == nullptr) {
        ::close(folderDescriptor);
        return;
    }
    const std::string fileName = m_target.filename().native();
    while (const dirent* entry = ::readdir(entries)) {
        if (!IsTemporaryNameOf(entry->d_name, fileName))
            continue;
        const int descriptor = ::openat(folderDescriptor, entry->d_name,
                                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        struct stat status
        {
        };
        if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folderDescriptor, entry->d_name, 0);
        ::close(descriptor);
    }
    ::closedir(entries);
}

bool WriteWholeFile(const std::filesystem::path& file,
                    const std::function<bool(int descriptor, std::string& reason)>& write,
                    std::string& error, FileReaders readers,
                    const std::function<bool()>& beforeRename)
{
    WholeFile whole(file, readers);
    if (!whole.Open(error))
        return false;
    std::string reason;
    bool written = false;
    try {
        written = write(whole.Descriptor(), reason);
    } catch (const std::exception& failure) {
        reason = failure.what();
    }
    if (!written) {
        const int code = errno;
        whole.Abandon();
        error = whole.Failure(reason.empty() ? "the content could not be made" : reason);
        errno = code;
        return false;
    }
    return whole.Commit(error, beforeRename);
}

bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes, std::string& error,
                 const std::function<bool()>& beforeRename)
{
    WholeFile whole(file);
    return whole.Open(error) && whole.Write(bytes, error) && whole.Commit(error, beforeRename);
}

bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes, FileReaders readers,
                 std::string& error)
{
    WholeFile whole(file, readers);
    return whole.Open(error) && whole.Write(bytes, error) && whole.Commit(error);
}

} // namespace nirdal
