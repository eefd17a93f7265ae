#include "settings/SettingsTable.h"

#include <array>

namespace q64 {

namespace {
using Use = SettingKey::Use;
constexpr long long kAny = INT32_MIN, kAnyMax = UINT32_MAX;

// The SummerCart64's boot modes the program sets: 0 the menu, 1 the loaded
// image through the bootloader, 3 the image directly. 2 and 4 start a 64DD
// IPL, which it does not load.
bool TakenBootMode(long long mode) { return mode == 0 || mode == 1 || mode == 3; }

const std::array<SettingKey, 32> kKeys{{
    {"Col1W", &Settings::Col1W, kAny, kAnyMax},
    {"Col2W", &Settings::Col2W, kAny, kAnyMax},
    {"Col3W", &Settings::Col3W, kAny, kAnyMax},
    {"Backup", &Settings::Backup, kAny, kAnyMax},
    {"Compress", &Settings::Compress, kAny, kAnyMax},
    {"BIOS", &Settings::BIOS, kAny, kAnyMax},
    {"OutPort", &Settings::OutPort, kAny, kAnyMax},
    {"OutPortCustom", &Settings::OutPortCustom, kAny, kAnyMax},
    {"Unit", &Settings::Unit, kAny, kAnyMax},
    {"DefaultDir", &Settings::DefaultDir},
    {"PreviewDir", &Settings::PreviewDir, kAny, kAnyMax},
    {"PreviewCD", &Settings::PreviewCD, kAny, kAnyMax},
    {"Surgeon", &Settings::Surgeon, kAny, kAnyMax},
    {"SurgeonAddress", &Settings::SurgeonAddress, kAny, kAnyMax},
    {"SortCol", &Settings::SortCol, kAny, kAnyMax},
    {"SortOrder", &Settings::SortOrder, kAny, kAnyMax},
    {"ListType", &Settings::ListType, kAny, kAnyMax},
    {"ShowDirs", &Settings::ShowDirs, kAny, kAnyMax, Use::Forced},
    {"Hidden", &Settings::Hidden, kAny, kAnyMax},
    {"ADrive", &Settings::ADrive, kAny, kAnyMax},
    {"DefAView", &Settings::DefAView},
    {"DefBView", &Settings::DefBView},
    {"CD64Port", &Settings::CD64Port, kAny, kAnyMax},
    {"CD64Comm", &Settings::CD64Comm, kAny, kAnyMax},
    {"CD64ReceiveType", &Settings::CD64ReceiveType, kAny, kAnyMax},
    {"SC64Device", &Settings::SC64Device},
    {"SC64BootMode", &Settings::SC64BootMode, 0, 3, Use::ReadWrite, TakenBootMode},
    {"SC64TvType", &Settings::SC64TvType, 0, 3},
    {"ED64Device", &Settings::ED64Device},
    {"Splash", &Settings::Splash, kAny, kAnyMax},
    {"DatFile", &Settings::DatFile},
    {"RomDatabase", &Settings::RomDatabase},
}};
} // namespace

std::span<const SettingKey> SettingKeys() { return kKeys; }

} // namespace q64
