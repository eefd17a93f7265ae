#include "transfer/Sc64Devices.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <stdlib.h>

#include "transfer/SerialStream.h"

namespace q64 {

namespace {

constexpr int kLevelsUp = 6; // tty -> port -> interface -> USB device, with room to spare

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

// The cart's bridge, told from other FTDI chips by its product text or, when
// that was changed, by the serial number its maker gives it ("SC64...").
bool IsSc64UsbDevice(const std::string& folder) {
    return FirstLine(folder + "/idVendor") == "0403" && FirstLine(folder + "/idProduct") == "6014" &&
           (FirstLine(folder + "/product") == "SC64" || FirstLine(folder + "/serial").rfind("SC64", 0) == 0);
}

} // namespace

std::vector<std::string> FindSc64Devices(const std::string& sysRoot, const std::string& devRoot) {
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
            if (IsSc64UsbDevice(folder)) {
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

std::unique_ptr<ByteStream> OpenSc64Device(const std::string& device, std::string& message) {
    std::string path = device;
    if (path.empty()) {
        const std::vector<std::string> found = FindSc64Devices();
        if (found.empty()) {
            message = "No SummerCart64 found (USB 0403:6014, \"SC64\"): is it plugged in? A device can also be "
                      "named in Properties or with --device (/dev/ttyUSB0).";
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
