#pragma once
// Whether a folder lies on a CD-ROM volume (ISO 9660 or UDF file system).

#include <string>

namespace q64 {

bool IsOnCdRom(const std::string& folder);

} // namespace q64
