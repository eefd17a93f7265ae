#pragma once
// Finding and opening the serial device of a USB bridge. Linux names such a
// port /dev/ttyUSBn (ftdi_sio and the like) or /dev/ttyACMn and lists it
// under /sys/class/tty, with the USB device a few folders above the port in
// the resolved "device" link.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "transfer/ByteStream.h"

namespace q64 {

struct UsbSerialId {
    const char* vendor;  // "0403": four lower-case hexadecimal digits, as sysfs shows them
    const char* product; // "6001"
    const char* text;    // the product string, "FT245R USB FIFO"
};

// The first line of the attribute `name` ("idVendor", "serial") of the USB
// device whose sysfs folder is `folder`, trailing blanks cut; empty when none.
std::string UsbAttribute(const std::string& folder, const char* name);

// The /dev paths of every attached serial port whose USB device `isDevice`
// accepts (given the device's sysfs folder), sorted. `sysRoot` and `devRoot`
// are "/sys" and "/dev" except in tests.
std::vector<std::string> FindUsbSerialDevices(const std::function<bool(const std::string& folder)>& isDevice,
                                              const std::string& sysRoot = "/sys",
                                              const std::string& devRoot = "/dev");
// The same for the device with `id`.
std::vector<std::string> FindUsbSerialDevices(const UsbSerialId& id, const std::string& sysRoot = "/sys",
                                              const std::string& devRoot = "/dev");

// Opens `device` as a serial stream, or when it is empty the first of
// `findDevices()`; with none found, `message` is `noneFound`. Null with
// `message` set when it cannot be opened (no permission: the message names
// the device and the "dialout" group).
std::unique_ptr<ByteStream> OpenUsbSerialDevice(const std::string& device,
                                                const std::function<std::vector<std::string>()>& findDevices,
                                                const std::string& noneFound, std::string& message);

} // namespace q64
