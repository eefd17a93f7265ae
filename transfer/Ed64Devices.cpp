#include "transfer/Ed64Devices.h"

#include <cerrno>
#include <sys/stat.h>

namespace q64 {

std::vector<std::string> FindEd64Devices(const std::string& sysRoot, const std::string& devRoot) {
    return FindUsbSerialDevices(kEd64UsbId, sysRoot, devRoot);
}

std::unique_ptr<ByteStream> OpenEd64Device(const std::string& device, std::string& message) {
    struct stat info {};
    if (!device.empty() && ::stat(device.c_str(), &info) != 0 && errno == ENOENT) {
        message = device + " does not exist: is the EverDrive-64 plugged in?";
        return nullptr;
    }
    return OpenUsbSerialDevice(device, [] { return FindEd64Devices(); },
                               "No EverDrive-64 found (USB 0403:6001 \"FT245R USB FIFO\"): is its USB cable plugged "
                               "in? A device can also be named in Properties or with --device (/dev/ttyUSB0).",
                               message);
}

} // namespace q64
