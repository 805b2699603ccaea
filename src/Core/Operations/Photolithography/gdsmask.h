#pragma once

#include "Core/Operations/Photolithography/mask.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
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

// A GDSII layout flattened into polygons per layer, in microns. Reading uses libGDSII;
// the hierarchy is flattened here, so that paths get their widths and references their
// magnification, rotation, reflection and array steps. libGDSII 0.2 reports no
// reflection for a standard STRANS record (its bit order differs), so a reflected
// reference is drawn unreflected until the library reads that bit.
class GdsLayout
{
public:
    struct Polygon
    {
        std::vector<double> xy; // x0, y0, x1, y1, ... in microns, not repeating the first point
    };

    // False (and `layout` untouched) for a file that cannot be read or is no GDSII
    // layout, with the reason in `reason`.
    static bool read(const QString &fileName, const QString &topCell, GdsLayout *layout, QString *reason = nullptr);

    // The layers that hold shapes, ascending.
    std::vector<int> layers() const;
    // The polygons of one layer; empty for a layer without shapes.
    const std::vector<Polygon> &polygons(int layer) const;

    // Whether a file name names a layout (.gds, .gds2, .gdsii, any case) rather than an image.
    static bool isLayoutFile(const QString &fileName);
    static const QStringList suffixes;

    // Flattening stops with an error beyond these: a reference cycle or an array of
    // arrays would otherwise never end or exhaust memory.
    static constexpr int maxDepth = 64;
    static constexpr size_t maxVertices = size_t(50) * 1000 * 1000;

private:
    std::map<int, std::vector<Polygon>> byLayer;
};

// Rasterises one layer onto sizeX x sizeY columns: a column is opaque when its centre
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
