#pragma once
// Finding and opening the SummerCart64's serial device. The cart's USB
// bridge is an FTDI chip, vendor 0403 product 6014, with the product text
// "SC64" or a serial number starting "SC64"; Linux names its port /dev/ttyUSBn (ftdi_sio) and lists it under
// /sys/class/tty with the USB device a few folders above.

#include <memory>
#include <string>
#include <vector>

#include "transfer/ByteStream.h"

namespace q64 {

// The /dev paths of every attached SummerCart64, sorted. `sysRoot` and
// `devRoot` are "/sys" and "/dev" except in tests.
std::vector<std::string> FindSc64Devices(const std::string& sysRoot = "/sys", const std::string& devRoot = "/dev");

// Opens `device`, or the first cart found when it is empty. Null with
// `message` set when there is none or it cannot be opened (no permission:
// the message names the device and the "dialout" group).
std::unique_ptr<ByteStream> OpenSc64Device(const std::string& device, std::string& message);

} // namespace q64
