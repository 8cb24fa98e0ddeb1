// SPDX-License-Identifier: MIT
#include "platform/record_file.h"

#include "platform/regular_file.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace nirdal {

RecordFile::~RecordFile()
{
    Close();
}

int RecordFile::Open(const std::filesystem::path& path)
{
    Close();
    // A folder, a device or a FIFO under the file's name is no file of records, and opening
    // a FIFO must not wait for a writer.
    const int descriptor = OpenRegularFile(path);
    if (descriptor < 0)
        return errno;
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
