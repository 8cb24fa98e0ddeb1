// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <filesystem>
#include <functional>

class QIODevice;

namespace nirdal {

/// What puts a file's content into the device it is given; returns false with a reason
/// when it cannot.
using DeviceWriting = std::function<bool(QIODevice& device, QString& reason)>;

/// Writes path whole or not at all, the one way the program writes files (WholeFile): write
/// gets a device open on the temporary file, or on the device or FIFO that path names. A
/// failure of write or of the device (no space, an I/O error) leaves the file as it was, no
/// temporary file, and a message in error that says what failed and where. beforeRename,
/// when given, is asked last: false leaves the file as it was.
bool WriteWholeDevice(const std::filesystem::path& path, const DeviceWriting& write, QString& error,
                      const std::function<bool()>& beforeRename = {});

/// The path a file dialog or another Qt text names, in the file system's encoding.
std::filesystem::path LocalFilePath(const QString& path);

} // namespace nirdal
