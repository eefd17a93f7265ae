#include "browser/InfoPanel.h"

#include "engine/Territory.h"

namespace q64 {

InfoPanelTexts DescribeLoaded(const RomImage& image) {
    InfoPanelTexts t;
    if (!image.IsLoaded()) return t;
    t.fileSize = FormatFileSize(image.FileSize());
    if (!HasImageBit(image.GetKind())) return t;
    t.imageSize = FormatImageSize(image.SizeMbit());
    t.territory = FormatTerritoryCode(image.TerritoryCode());
    t.cartId = image.CartId();
    t.maker = FormatManufacturer(image.MakerCode());
    t.format = FormatByteOrder(image.ByteOrder());
    t.compressed = image.Compressed();
    return t;
}

} // namespace q64
