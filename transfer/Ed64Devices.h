#pragma once
// Finding and opening the EverDrive-64's serial device. The X7 and the V3
// reach the PC through an FTDI FT245R FIFO bridge, vendor 0403 product 6001,
// with the chip's own product text "FT245R USB FIFO"; ftdi_sio names its port
// /dev/ttyUSBn. Other gadgets use the same chip with the same text, so a
// device found here is an EverDrive only once it has answered the test.

#include <memory>
#include <string>
#include <vector>

#include "transfer/ByteStream.h"
#include "transfer/UsbSerialDevices.h"

namespace q64 {

inline constexpr UsbSerialId kEd64UsbId{"0403", "6001", "FT245R USB FIFO"};

// The /dev paths of every attached FT245R bridge, sorted.
std::vector<std::string> FindEd64Devices(const std::string& sysRoot = "/sys", const std::string& devRoot = "/dev");

// Opens `device`, or the first bridge found when it is empty. Null with
// `message` set when there is none or it cannot be opened.
std::unique_ptr<ByteStream> OpenEd64Device(const std::string& device, std::string& message);

} // namespace q64
