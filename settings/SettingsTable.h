#pragma once
// The one table of the program's settings keys: each row names a key, the
// field of Settings it fills, its default and the range a stored value must
// lie in. SettingsStore reads and writes through it, in its order, so a key is
// added in one place.

#include <climits>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "settings/Settings.h"

namespace q64 {

struct SettingKey {
    const char* key;
    // The field it fills: a number, an 8-bit number (the low byte of the stored
    // integer, widened with its sign when written) or a text.
    std::variant<int Settings::*, std::int8_t Settings::*, std::string Settings::*> field;
    // A stored number outside [min, max], or one `accepts` refuses, reads as
    // the field's default.
    long long min = INT32_MIN;
    long long max = INT32_MAX;
    // Read and then forced to its default ("ShowDirs": folders are never listed).
    enum class Use { ReadWrite, Forced } use = Use::ReadWrite;
    bool (*accepts)(long long value) = nullptr; // null: every value in range
};

// Every key of the "Initialization" section that the record holds, in the
// order the store writes them (the frame's own keys are apart: FrameGeometry).
std::span<const SettingKey> SettingKeys();

} // namespace q64
