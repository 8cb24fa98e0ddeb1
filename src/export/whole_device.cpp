// SPDX-License-Identifier: MIT
#include "export/whole_device.h"

#include "platform/whole_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace nirdal {

namespace {

// The descriptor of WholeFile as a device, written unbuffered, so that a failure carries the
// system's own reason (no space left on device) and not a buffer's "Unknown error".
class DescriptorDevice : public QIODevice
{
public:
    explicit DescriptorDevice(int descriptor) : m_descriptor(descriptor)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    int Code() const { return m_code; }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override
    {
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_descriptor, data + done, static_cast<std::size_t>(size - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                m_code = n < 0 ? errno : EIO;
                setErrorString(QString::fromLocal8Bit(std::strerror(m_code)));
                return -1;
            }
            done += n;
        }
        return done;
    }

private:
    int m_descriptor;
    int m_code = 0;
};

} // namespace

bool WriteWholeDevice(const std::filesystem::path& path, const DeviceWriting& write, QString& error,
                      const std::function<bool()>& beforeRename)
{
    const auto writeDevice = [&write](int descriptor, std::string& reason) {
        DescriptorDevice device(descriptor);
        QString failure;
        const bool written = write(device, failure);
        if (device.Code() != 0) {
            // The device's own reason (no space, an I/O error) comes before the writer's.
            reason = std::strerror(device.Code());
            errno = device.Code();
            return false;
        }
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
