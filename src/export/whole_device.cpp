// SPDX-License-Identifier: MIT
#include "export/whole_device.h"

#include "platform/whole_file.h"

#include <QFile>

#include <cerrno>

namespace nirdal {

bool WriteWholeDevice(const std::filesystem::path& path, const DeviceWriting& write, QString& error,
                      const std::function<bool()>& beforeRename)
{
    const auto writeDevice = [&write](int descriptor, std::string& reason) {
        QFile file;
        if (!file.open(descriptor, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
            reason = file.errorString().toStdString();
            return false;
        }
        QString failure;
        bool written = write(file, failure);
        written = file.flush() && written;
        if (file.error() != QFileDevice::NoError) {
            // The device's own reason (no space, an I/O error) comes before the writer's.
            failure = file.errorString();
            written = false;
        }
        file.close();
        reason = failure.toStdString();
        return written;
    };
    std::string message;
    if (WriteWholeFile(path, writeDevice, message, FileReaders::AsUmaskAllows, beforeRename))
        return true;
    error = QString::fromStdString(message);
    return false;
}

std::filesystem::path LocalFilePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace nirdal
