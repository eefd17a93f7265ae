#pragma once
// The values of the information panel, computed from the loaded file: the
// seven of every file, the save type of an image, and the notes and free
// pages of a Controller Pak.

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
    std::string saveType;   // "Save Type" of an image: from its header's developer save byte here,
                            // else from the ROM database (FileListModel's lookup)
    std::string notes;      // "Notes" of a memory pak: how many of 16
    std::string freePages;  // "Free Pages" of a memory pak: "%d of 123"

    bool operator==(const InfoPanelTexts&) const = default;
};

// The panel for the file loaded in `image` (empty texts when nothing is loaded).
// Fields other than the file size are empty unless the kind has the image bit;
// a memory pak is read (at most 36928 bytes) for its notes and free pages.
InfoPanelTexts DescribeLoaded(const RomImage& image);

} // namespace q64
