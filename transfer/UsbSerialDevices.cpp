#include "transfer/UsbSerialDevices.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <stdlib.h>

namespace q64 {

namespace {

constexpr int kLevelsUp = 6; // tty -> port -> interface -> USB device, with room to spare

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

bool IsDevice(const std::string& folder, const UsbSerialId& id) {
    return FirstLine(folder + "/idVendor") == id.vendor && FirstLine(folder + "/idProduct") == id.product &&
           FirstLine(folder + "/product") == id.text;
}

} // namespace

std::vector<std::string> FindUsbSerialDevices(const UsbSerialId& id, const std::string& sysRoot,
                                              const std::string& devRoot) {
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
            if (IsDevice(folder, id)) {
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

} // namespace q64
