#pragma once

#include <QMetaType>
#include <QString>
#include <cstdint>
#include <vector>

#include <QtGlobal>

class QImage;

namespace Core {
namespace Operations {

// A two-dimensional mask laid over the columns of a cell volume: width x height bits,
// bit (i, j) at index i * height + j, one bit per column (x = i, y = j). A set bit is
// an opaque pixel. The empty mask has no bits and both sizes 0.
class Mask
{
public:
    Mask() = default;
    Mask(std::vector<bool> bits, int32_t width, int32_t height)
        : bits(std::move(bits)), width(width), height(height)
    {
    }

    // Opaque pixels are pure black and pure red, both fully opaque; every other colour
    // is transparent. The image's bottom-left pixel becomes bit (0, 0).
    static Mask fromImage(const QImage &image);
    // Reads an image file; false (and the mask untouched) when it is not a readable image
    // or has more than maxPixels pixels (16384 x 8192; a 10000 x 10000 mask still reads).
    static bool fromFile(const QString &fileName, Mask *mask, QString *reason = nullptr);
    static constexpr qint64 maxPixels = qint64(16384) * 8192;

    const std::vector<bool> &getBits() const { return bits; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    bool isEmpty() const { return width == 0 && height == 0; }
    // Whether the bits fit the sizes (width * height of them, sizes not negative).
    bool isConsistent() const;
    bool bit(int32_t i, int32_t j) const { return bits[static_cast<size_t>(i) * static_cast<size_t>(height) + static_cast<size_t>(j)]; }

    // One byte per column of a sizeX x sizeY volume, index x * sizeY + y. A column
    // under the mask gets its bit XOR `invert`, a column beyond it `outside`. A mask
    // whose bits do not fit its sizes is ignored: every column is then 0.
    std::vector<uint8_t> columnGrid(uint32_t sizeX, uint32_t sizeY, bool invert, bool outside) const;

    bool operator==(const Mask &other) const
    {
        return width == other.width && height == other.height && bits == other.bits;
    }

private:
    std::vector<bool> bits;
    int32_t width = 0;
    int32_t height = 0;
};

// maskFromImage as the dialogs and tests name it.
inline Mask maskFromImage(const QImage &image) { return Mask::fromImage(image); }

} // namespace Operations
} // namespace Core

Q_DECLARE_METATYPE(Core::Operations::Mask)
