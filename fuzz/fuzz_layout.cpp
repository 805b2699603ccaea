// GDSII layouts as the mask boxes read them: the stream reader, the checks of the
// hierarchy and the flattening, then the rasterising of layer 1 onto a small volume.
#include "Core/Operations/Photolithography/gdsmask.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Core::Operations;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<int>(size));
    // Odd sizes flatten only what meets a 64 x 64 window, even ones everything.
    const GdsLayout::Window window{-1.0, -1.0, 65.0, 65.0};
    GdsLayout layout;
    if (!GdsLayout::fromBytes(bytes, QString(), &layout, nullptr, size % 2 ? &window : nullptr))
        return 0;
    for (int layer : layout.layers()) {
        GdsMaskPlacement placement;
        placement.layer = layer;
        placement.datatype = size % 3 == 0 ? -1 : layout.datatypes(layer).front();
        Mask mask;
        GdsMask::fromLayout(layout, placement, 64, 64, &mask);
    }
    return 0;
}
