// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace nirdal {

/// Opens file for reading when it is a regular file; a FIFO, device or folder under its name
/// is refused at once instead of waiting for a writer or reading without end. The descriptor
/// (close-on-exec, blocking again for reads), or -1 with errno: the system's reason, EISDIR
/// for a folder, ENODEV for any other file that is not regular.
int OpenRegularFile(const std::filesystem::path& file);

/// Reads the whole of a regular file of at most maxBytes bytes into bytes. On failure bytes
/// is empty, error is a message that names the file, and errno tells the reason: the
/// system's, those of OpenRegularFile, or EFBIG for a file larger than maxBytes.
bool ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes, std::string& bytes,
                     std::string& error);

} // namespace nirdal
