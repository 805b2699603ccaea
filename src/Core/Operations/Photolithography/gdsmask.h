#pragma once

#include "Core/Operations/Photolithography/mask.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace Core {
namespace Operations {

// Where a layout layer lands on the volume's columns.
struct GdsMaskPlacement
{
    int layer = 0;
    // A datatype to draw; -1 draws every datatype of the layer.
    int datatype = -1;
    // A structure to draw; empty draws every top-level structure (one no other references).
    QString topCell;
    double cellsPerMicron = 1.0;
    // Added after scaling, in cells: the layout's origin lies at (offsetX, offsetY) in
    // column coordinates, where column (i, j) has its centre at (i + 0.5, j + 0.5).
    double offsetX = 0.0;
    double offsetY = 0.0;
};

// A GDSII layout flattened into polygons per layer and datatype, in microns. The stream
// is read by GdsStream; the hierarchy is flattened here, so that paths get their widths
// and ends and references their reflection, magnification, rotation and array steps.
// Before anything is expanded the hierarchy is checked (every referenced structure
// present, no cycle, at most maxDepth levels) and the vertices and instances it expands
// to are counted from the array sizes, so an oversized layout is refused at once.
class GdsLayout
{
public:
    struct Polygon
    {
        std::vector<double> xy; // x0, y0, x1, y1, ... in microns, not repeating the first point
    };

    // A rectangle in microns: references whose shapes all lie outside it are not expanded.
    struct Window
    {
        double minX, minY, maxX, maxY;
    };

    // False (and `layout` untouched) for a file that cannot be read or is no GDSII
    // layout, with the reason in `reason`.
    static bool read(const QString &fileName, const QString &topCell, GdsLayout *layout, QString *reason = nullptr,
                     const Window *window = nullptr);
    // The same for the bytes of a stream file already in memory.
    static bool fromBytes(const QByteArray &bytes, const QString &topCell, GdsLayout *layout,
                          QString *reason = nullptr, const Window *window = nullptr);

    // The layers that hold shapes, ascending.
    std::vector<int> layers() const;
    // The datatypes that hold shapes on one layer, ascending.
    std::vector<int> datatypes(int layer) const;
    // The polygons of one layer and datatype (-1: every datatype); empty for none.
    std::vector<const Polygon *> polygons(int layer, int datatype = -1) const;

    // Whether a file name names a layout (.gds, .gds2, .gdsii, any case) rather than an image.
    static bool isLayoutFile(const QString &fileName);
    static const QStringList suffixes;

    // Bounds known before flattening: references nest at most maxDepth levels, and the
    // flattened layout holds at most maxVertices vertices and instances together.
    static constexpr int maxDepth = 64;
    static constexpr size_t maxVertices = size_t(50) * 1000 * 1000;
    // Larger files are refused before they are read into memory.
    static constexpr qint64 maxFileBytes = qint64(1) << 30;

private:
    // Keyed by (layer, datatype).
    std::map<std::pair<int, int>, std::vector<Polygon>> shapes;
};

// Rasterises one layer (and datatype, unless it is -1) onto sizeX x sizeY columns: a column is opaque when its centre
// lies inside a shape of the layer (each polygon by the non-zero winding rule, the
// union of all shapes). With sizeX or sizeY 0 the mask reaches from the origin to the
// far corner of the layer's shapes instead.
class GdsMask
{
public:
    // False (and `mask` untouched) for an unreadable file, a file that is no GDSII
    // layout, a missing top cell, a layer without shapes, a scale that is not a positive
    // finite number of at most maxCellsPerMicron, or shapes that miss every column.
    static bool fromFile(const QString &fileName, const GdsMaskPlacement &placement, int32_t sizeX, int32_t sizeY,
                         Mask *mask, QString *reason = nullptr);
    static bool fromLayout(const GdsLayout &layout, const GdsMaskPlacement &placement, int32_t sizeX, int32_t sizeY,
                           Mask *mask, QString *reason = nullptr);

    static constexpr double maxCellsPerMicron = 1.0e6;
};

} // namespace Operations
} // namespace Core
