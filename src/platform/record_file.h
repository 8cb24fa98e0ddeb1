// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>

namespace nirdal {

/// A file read as a sequence of fixed-size records, with failures returned as codes
/// rather than raised. It is opened for reading only: the program never writes such a file,
/// so a file installed read-only for the students is read like any other.
class RecordFile
{
public:
    /// The code of a read that reaches the end of the file inside a record.
    static constexpr int kReadBeyondEnd = 100;

    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    /// Opens a regular file; 0, or the system's error number.
    int Open(const std::filesystem::path& path);

    /// Reads record number index (from 0) of record.size() bytes; 0, kReadBeyondEnd when
    /// the file ends before the record does, or the system's error number.
    int Read(std::size_t index, std::span<unsigned char> record);

    void Close();

    /// The message of a code returned above: "Read beyond end of file" for kReadBeyondEnd.
    static std::string ErrorText(int code);

private:
    int m_descriptor = -1;
};

} // namespace nirdal
