#include "platform/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace {

// ppdev's ioctls do not sleep once the port is claimed, but a signal may still interrupt one.
template <typename... Args>
int portIoctl(int fd, unsigned long request, Args... args)
{
    int result;
    do {
        result = ::ioctl(fd, request, args...);
    } while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace

PpdevPort::PpdevPort(std::string path) : m_path(std::move(path))
{
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) fail("open", errno);
    // Exclusive registration: with a printer driver or another program on the port, the claim
    // fails at once instead of blocking until the port is free.
    const char* failed = nullptr;
    int error = 0;
    if (portIoctl(m_fd, PPEXCL) < 0) {
        failed = "PPEXCL";
        error = errno;
    } else if (portIoctl(m_fd, PPCLAIM) < 0) {
        failed = "PPCLAIM";
        // ppdev answers ENXIO when it refuses the exclusive registration because another
        // device holds the port: for the user the port is busy.
        error = errno == ENXIO ? EBUSY : errno;
    }
    if (failed) {
        ::close(m_fd);  // no destructor runs for a constructor that throws
        fail(failed, error);
    }
    // The lines as the port was left by whoever had it are unknown: put them at rest.
    unsigned char idle = kIdleLines;
    if (portIoctl(m_fd, PPWDATA, &idle) < 0) {
        error = errno;
        portIoctl(m_fd, PPRELEASE);
        ::close(m_fd);
        fail("PPWDATA", error);
    }
}

PpdevPort::~PpdevPort()
{
    portIoctl(m_fd, PPRELEASE);
    ::close(m_fd);
}

void PpdevPort::fail(const char* operation, int error) const
{
    throw std::system_error(error, std::generic_category(), std::string(operation) + " " + m_path);
}

void PpdevPort::writeData(std::uint8_t value)
{
    unsigned char data = value;
    if (portIoctl(m_fd, PPWDATA, &data) < 0) fail("PPWDATA", errno);
}

std::uint8_t PpdevPort::readStatus()
{
    unsigned char status = 0;
    if (portIoctl(m_fd, PPRSTATUS, &status) < 0) fail("PPRSTATUS", errno);
    return status;
}
