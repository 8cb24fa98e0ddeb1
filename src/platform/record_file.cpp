#include "platform/record_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nirdal {

RecordFile::~RecordFile()
{
    Close();
}

int RecordFile::Open(const std::filesystem::path& path)
{
    Close();
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    // A folder or a device under the file's name is no file of records.
    struct stat status
    {
    };
    if (::fstat(descriptor, &status) != 0) {
        const int code = errno;
        ::close(descriptor);
        return code;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    }
    m_descriptor = descriptor;
    return 0;
}

int RecordFile::Read(std::size_t index, std::span<unsigned char> record)
{
    if (m_descriptor < 0)
        return EBADF;
    const auto offset = static_cast<off_t>(index * record.size());
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t got = ::pread(m_descriptor, record.data() + done, record.size() - done,
                                    offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return kReadBeyondEnd;
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

void RecordFile::Close()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

std::string RecordFile::ErrorText(int code)
{
    if (code == kReadBeyondEnd)
        return "Read beyond end of file";
    return std::strerror(code);
}

} // namespace nirdal
