#pragma once
// Finding the serial device of a USB bridge by its ids and product text.
// Linux names such a port /dev/ttyUSBn (ftdi_sio and the like) or
// /dev/ttyACMn and lists it under /sys/class/tty, with the USB device a few
// folders above the port in the resolved "device" link.

#include <string>
#include <vector>

namespace q64 {

struct UsbSerialId {
    const char* vendor;  // "0403": four lower-case hexadecimal digits, as sysfs shows them
    const char* product; // "6001"
    const char* text;    // the product string, "FT245R USB FIFO"
};

// The /dev paths of every attached device with `id`, sorted. `sysRoot` and
// `devRoot` are "/sys" and "/dev" except in tests.
std::vector<std::string> FindUsbSerialDevices(const UsbSerialId& id, const std::string& sysRoot = "/sys",
                                              const std::string& devRoot = "/dev");

} // namespace q64
