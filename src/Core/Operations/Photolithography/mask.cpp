#include "Core/Operations/Photolithography/mask.h"

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <new>

namespace Core {
namespace Operations {

namespace {

// Lossy images (JPEG) blur pure black and red by a few levels; dark grey stays clear.
constexpr int tolerance = 24;

bool near(int value, int target)
{
    return value >= target - tolerance && value <= target + tolerance;
}

// Opaque: (nearly) black or red with (nearly) full alpha.
bool isOpaque(QRgb p)
{
    return near(qAlpha(p), 255) && near(qGreen(p), 0) && near(qBlue(p), 0) &&
           (near(qRed(p), 0) || near(qRed(p), 255));
}

bool isDirect32(QImage::Format format)
{
    return format == QImage::Format_ARGB32 || format == QImage::Format_RGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

Mask Mask::fromImage(const QImage &image)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return Mask();
    const int32_t w = image.width();
    const int32_t h = image.height();
    const size_t hh = static_cast<size_t>(h);
    std::vector<bool> bits(static_cast<size_t>(w) * hh, false);

    // Rows are taken in strips converted to 32-bit pixels, so a large indexed or
    // one-bit image is never expanded whole; within a strip each column's bits are
    // consecutive in the mask (rows run downwards, j upwards).
    constexpr int stripRows = 64;
    const bool direct = isDirect32(image.format());
    for (int top = 0; top < h; top += stripRows) {
        const int rows = std::min(stripRows, h - top);
        const QImage strip = direct ? image : image.copy(0, top, w, rows).convertToFormat(QImage::Format_ARGB32);
        if (strip.isNull())
            throw std::bad_alloc();
        const int first = direct ? top : 0;
        const QRgb *lines[stripRows];
        for (int r = 0; r < rows; ++r)
            lines[r] = reinterpret_cast<const QRgb *>(strip.constScanLine(first + r));
        for (int32_t i = 0; i < w; ++i) {
            const size_t column = static_cast<size_t>(i) * hh;
            for (int r = 0; r < rows; ++r) {
                const QRgb p = lines[r][i];
                if (isOpaque(p))
                    bits[column + (hh - 1 - static_cast<size_t>(top + r))] = true;
            }
        }
    }
    return Mask(std::move(bits), w, h);
}

bool Mask::fromFile(const QString &fileName, Mask *mask, QString *reason)
{
    if (fileName.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("No file name was given.");
        return false;
    }
    QImageReader reader(fileName);
    const auto tooLarge = [reason](const QSize &size) {
        if (static_cast<qint64>(size.width()) * size.height() <= maxPixels)
            return false;
        if (reason)
            *reason = QStringLiteral("The image is too large to be used as a mask (%1 x %2 pixels; at most %3).")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(maxPixels);
        return true;
    };
    // A header can claim any size in a few bytes; decoding such an image would take
    // gigabytes and minutes. The size is read from the header before any decoding where
    // the format tells it, and checked again after decoding where it does not (OS/2
    // bitmaps).
    const QSize size = reader.size();
    if (size.isValid() && tooLarge(size))
        return false;
    try {
        const QImage image = reader.read();
        if (image.isNull()) {
            if (reason)
                *reason = reader.errorString();
            return false;
        }
        if (tooLarge(image.size()))
            return false;
        *mask = fromImage(image);
    } catch (const std::bad_alloc &) {
        if (reason)
            *reason = QStringLiteral("The image is too large to be used as a mask.");
        return false;
    }
    return true;
}

bool Mask::isConsistent() const
{
    if (width < 0 || height < 0)
        return false;
    return bits.size() == static_cast<size_t>(width) * static_cast<size_t>(height);
}

std::vector<uint8_t> Mask::columnGrid(uint32_t sizeX, uint32_t sizeY, bool invert, bool outside) const
{
    const size_t sy = sizeY;
    std::vector<uint8_t> grid(static_cast<size_t>(sizeX) * sy, 0);
    if (!isConsistent())
        return grid;
    const uint8_t outsideValue = outside ? 1 : 0;
    const uint32_t w = static_cast<uint32_t>(width);
    const uint32_t h = static_cast<uint32_t>(height);
    for (uint32_t x = 0; x < sizeX; ++x) {
        uint8_t *row = grid.data() + x * sy;
        if (x >= w) {
            std::fill(row, row + sy, outsideValue);
            continue;
        }
        const uint32_t inside = std::min(h, sizeY);
        const size_t column = static_cast<size_t>(x) * h;
        for (uint32_t y = 0; y < inside; ++y)
            row[y] = (bits[column + y] != invert) ? 1 : 0;
        std::fill(row + inside, row + sy, outsideValue);
    }
    return grid;
}

} // namespace Operations
} // namespace Core
