#pragma once
// The seven values of the information panel, computed from the loaded image.

#include <string>

#include "engine/RomImage.h"

namespace q64 {

struct InfoPanelTexts {
    std::string imageSize;  // "Image Size": "%2.1f MBit"
    std::string fileSize;   // "File Size": "%.2f K" / "%.2f MB"
    std::string territory;  // "Territory Code": "%d - %c"
    std::string cartId;     // "Cart ID"
    std::string maker;      // "Manufacturer": "%c - %s"
    std::string format;     // "File Format": "SP64/WC/Z64" or "Doctor 64"
    bool compressed = false; // "Compressed" box

    bool operator==(const InfoPanelTexts&) const = default;
};

// The panel for the file loaded in `image` (empty texts when nothing is loaded).
// Fields other than the file size are empty unless the kind has the image bit.
InfoPanelTexts DescribeLoaded(const RomImage& image);

} // namespace q64
