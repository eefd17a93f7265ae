#pragma once
// Reading and writing the numbers that dialog fields hold.

#include <QString>
#include <optional>

class QLineEdit;

namespace q64 {

// Makes `field` read-only (or editable again) and shows it so: a read-only
// field takes the window's background instead of the text background.
void SetFieldReadOnly(QLineEdit* field, bool readOnly);

// A field that must hold a whole decimal number: white space around it and a
// sign are allowed, anything else (no digits, other characters, a value that
// does not fit into an int) gives nothing.
std::optional<int> ParseWholeNumber(const QString& text);

// A port or address as the dialogs show it, in the C "%#x" form: "0x" and
// lower-case hex digits, but plain "0" for zero. Negative values show their
// 32-bit pattern (-1 is "0xffffffff").
QString FormatHexAddress(int value);

// parse_number over a field's text (Latin-1; characters beyond it cannot be
// part of a number anyway).
int ParseNumberField(const QString& text);

} // namespace q64
