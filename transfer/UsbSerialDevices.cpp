#include "transfer/UsbSerialDevices.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <stdlib.h>

#include "transfer/SerialStream.h"

namespace q64 {

namespace {

constexpr int kLevelsUp = 6; // tty -> port -> interface -> USB device, with room to spare

} // namespace

std::string UsbAttribute(const std::string& folder, const char* name) {
    std::ifstream in(folder + "/" + name);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

std::vector<std::string> FindUsbSerialDevices(const std::function<bool(const std::string& folder)>& isDevice,
                                              const std::string& sysRoot, const std::string& devRoot) {
    std::vector<std::string> found;
    const std::string classDir = sysRoot + "/class/tty";
    DIR* dir = ::opendir(classDir.c_str());
    if (!dir) return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind("ttyUSB", 0) != 0 && name.rfind("ttyACM", 0) != 0) continue;
        char resolved[PATH_MAX];
        if (!::realpath((classDir + "/" + name + "/device").c_str(), resolved)) continue;
        std::string folder = resolved;
        for (int level = 0; level < kLevelsUp && folder.size() > 1; ++level) {
            if (isDevice(folder)) {
                found.push_back(devRoot + "/" + name);
                break;
            }
            folder = folder.substr(0, folder.find_last_of('/'));
        }
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> FindUsbSerialDevices(const UsbSerialId& id, const std::string& sysRoot,
                                              const std::string& devRoot) {
    return FindUsbSerialDevices(
        [&id](const std::string& folder) {
            return UsbAttribute(folder, "idVendor") == id.vendor && UsbAttribute(folder, "idProduct") == id.product &&
                   UsbAttribute(folder, "product") == id.text;
        },
        sysRoot, devRoot);
}

std::unique_ptr<ByteStream> OpenUsbSerialDevice(const std::string& device,
                                                const std::function<std::vector<std::string>()>& findDevices,
                                                const std::string& noneFound, std::string& message) {
    std::string path = device;
    if (path.empty()) {
        const std::vector<std::string> found = findDevices();
        if (found.empty()) {
            message = noneFound;
            return nullptr;
        }
        path = found.front();
    }
    auto stream = std::make_unique<SerialStream>();
    if (!stream->Open(path)) {
        message = stream->Error();
        return nullptr;
    }
    return stream;
}

} // namespace q64
