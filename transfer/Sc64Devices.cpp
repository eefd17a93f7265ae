#include "transfer/Sc64Devices.h"

#include "transfer/UsbSerialDevices.h"

namespace q64 {

namespace {

// The cart's bridge, told from other FTDI chips by its product text or, when
// that was changed, by the serial number its maker gives it ("SC64...").
bool IsSc64UsbDevice(const std::string& folder) {
    return UsbAttribute(folder, "idVendor") == "0403" && UsbAttribute(folder, "idProduct") == "6014" &&
           (UsbAttribute(folder, "product") == "SC64" || UsbAttribute(folder, "serial").rfind("SC64", 0) == 0);
}

} // namespace

std::vector<std::string> FindSc64Devices(const std::string& sysRoot, const std::string& devRoot) {
    return FindUsbSerialDevices(IsSc64UsbDevice, sysRoot, devRoot);
}

std::unique_ptr<ByteStream> OpenSc64Device(const std::string& device, std::string& message) {
    return OpenUsbSerialDevice(device, [] { return FindSc64Devices(); },
                               "No SummerCart64 found (USB 0403:6014, \"SC64\"): is it plugged in? A device can also "
                               "be named in Properties or with --device (/dev/ttyUSB0).",
                               message);
}

} // namespace q64
