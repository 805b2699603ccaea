#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// One layer of cells through a volume: every cell whose coordinate along `axis` (0 x,
// 1 y, 2 z) equals `index`.
struct SectionPlane
{
    int axis = 1;
    uint32_t index = 0;

    // "x", "y" or "z".
    QString axisName() const;
    // "y = 12", as the picture's title and messages show it.
    QString text() const;
    // Reads "x=N", "y=N" or "z=N" (the letter in either case, spaces around "=" allowed).
    // False with the reason in `error` for anything else.
    static bool parse(const QString &text, SectionPlane *plane, QString *error);
};

// Draws a cut through a cell volume as a picture for reports: one block of pixels per
// cell in the material's catalogue colour (empty cells in a pale grey), a title naming
// the plane, the two axes the picture shows, a scale bar in model units and a legend of
// the materials the cut holds. Needs a QGuiApplication for its text.
class CrossSectionImage
{
public:
    // The picture's long side of cells is made at least this many pixels, in whole
    // pixels per cell.
    static constexpr int minimumLongSide = 600;
    // The cells' part of a picture never has more pixels than these, so that a cut is
    // refused before its picture is allocated rather than failing on the way.
    static constexpr int64_t maximumSide = 16384;
    static constexpr int64_t maximumPixels = int64_t(1) << 26;
    static const QRgb pageColor;
    static const QRgb emptyColor;

    // The cells a volume has along `axis`.
    static uint32_t cellsAlong(const Model::Automaton::TotalVolume &volume, int axis);
    // False, with a message saying the plane's range, when the plane lies outside, and
    // with the size it would need when the picture would be too large to make.
    static bool fits(const Model::Automaton::TotalVolume &volume, const SectionPlane &plane, QString *error);

    // Reads the cut's cells (under the volume's voxel mutex) and draws the picture. The
    // plane must fit the volume.
    explicit CrossSectionImage(Model::Automaton::TotalVolume &volume, const SectionPlane &plane);

    QImage render() const;
    // Writes render() through a temporary file: an existing file of that name is only
    // replaced by a complete picture. The format follows the suffix (PNG without one).
    bool save(const QString &fileName, QString *error) const;
    // Whether the suffix of `fileName` names a format pictures can be written in.
    static bool writableFormat(const QString &fileName, QString *error);

    // The layout of the picture, for callers that look at its cells.
    int columns() const { return cols; }
    int rows() const { return rowCount; }
    int blockWidth() const { return blockW; }
    int blockHeight() const { return blockH; }
    // False when the cells are too unlike to be drawn in proportion within the limits:
    // each axis then has its own scale, and the title says so.
    bool toScale() const { return proportional; }
    // Top-left pixel of the cells' area in render()'s picture.
    int cellAreaLeft() const;
    int cellAreaTop() const;
    // Material ids of the cut, row by row from the top of the picture.
    const std::vector<uint32_t> &cells() const { return ids; }
    // The length the scale bar shows, in model units: 1, 2 or 5 times a power of ten.
    double scaleBarLength() const { return scaleLength; }
    static double roundLength(double upTo);

private:
    SectionPlane plane;
    int across = 0; // axis shown left to right
    int up = 2;     // axis shown bottom to top
    int cols = 0;
    int rowCount = 0;
    int blockW = 1;
    int blockH = 1;
    bool proportional = true;
    double unitsAcross = 1.0; // cell size along `across`
    double unitsUp = 1.0;
    double scaleLength = 1.0;
    std::vector<uint32_t> ids;
};

} // namespace Operations
} // namespace Core
