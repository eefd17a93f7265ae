#include "browser/InfoPanel.h"

#include <algorithm>

#include "engine/ByteOrder.h"
#include "engine/MemoryPakFile.h"
#include "engine/SaveType.h"
#include "engine/Territory.h"

namespace q64 {

InfoPanelTexts DescribeLoaded(const RomImage& image) {
    InfoPanelTexts t;
    if (!image.IsLoaded()) return t;
    t.fileSize = FormatFileSize(image.FileSize());
    if (image.GetKind() == FileKind::MemoryPak) {
        PakFile file;
        std::string message;
        if (ReadPakFile(image.Path(), file, message) == EngineResult::Ok) {
            const PakReport report = InspectPak(file.pak);
            t.notes = std::to_string(report.notes.size()) + (report.Damaged() ? " (damaged)" : "");
            t.freePages = std::to_string(report.freePages) + " of " + std::to_string(mempak::kNotePages);
        }
    }
    if (!HasImageBit(image.GetKind())) return t;
    t.imageSize = FormatImageSize(image.SizeMbit());
    t.territory = FormatTerritoryCode(image.TerritoryCode());
    t.cartId = image.CartId();
    t.maker = FormatManufacturer(image.MakerCode());
    t.format = FormatByteOrder(image.ByteOrder());
    t.compressed = image.Compressed();
    std::uint8_t canonical[header::kSize];
    std::copy_n(image.WorkBuffer(), header::kSize, canonical);
    ToCanonical(canonical, header::kSize, image.ByteOrder());
    if (const std::optional<SaveType> declared = SaveTypeFromHeader(canonical)) t.saveType = SaveTypeName(*declared);
    return t;
}

} // namespace q64
