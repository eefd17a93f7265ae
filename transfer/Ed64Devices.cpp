#include "transfer/Ed64Devices.h"

#include <cerrno>
#include <sys/stat.h>

#include "transfer/SerialStream.h"

namespace q64 {

std::vector<std::string> FindEd64Devices(const std::string& sysRoot, const std::string& devRoot) {
    return FindUsbSerialDevices(kEd64UsbId, sysRoot, devRoot);
}

std::unique_ptr<ByteStream> OpenEd64Device(const std::string& device, std::string& message) {
    std::string path = device;
    if (path.empty()) {
        const std::vector<std::string> found = FindEd64Devices();
        if (found.empty()) {
            message = "No EverDrive-64 found (USB 0403:6001 \"FT245R USB FIFO\"): is its USB cable plugged in? "
                      "A device can also be named in Properties or with --device (/dev/ttyUSB0).";
            return nullptr;
        }
        path = found.front();
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        message = path + " does not exist: is the EverDrive-64 plugged in?";
        return nullptr;
    }
    auto stream = std::make_unique<SerialStream>();
    if (!stream->Open(path)) {
        message = stream->Error();
        return nullptr;
    }
    return stream;
}

} // namespace q64
