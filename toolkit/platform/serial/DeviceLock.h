// An exclusive claim on a serial device, whatever name it is opened by: a symlink such as
// /dev/serial/by-id/... and the node it points to are one device. Taken on a descriptor of
// its own before the port is opened, so that a second user never touches the device's
// settings; it holds against root too, which the terminal's exclusive mode does not stop.
#pragma once

#include <QString>

namespace platform {

class DeviceLock {
public:
    enum class Result { Taken, NoSuchDevice, InUse };

    DeviceLock() = default;
    ~DeviceLock() { release(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    Result take(const QString& device);
    void release();
    // The system's error number of the last take that failed.
    int error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

} // namespace platform
