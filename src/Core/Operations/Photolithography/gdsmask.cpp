#include "Core/Operations/Photolithography/gdsmask.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <libGDSII.h>

namespace Core {
namespace Operations {

namespace {

// x' = a x + b y + c, y' = d x + e y + f.
struct Affine
{
    double a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;

    Affine then(const Affine &outer) const
    {
        Affine r;
        r.a = outer.a * a + outer.b * d;
        r.b = outer.a * b + outer.b * e;
        r.c = outer.a * c + outer.b * f + outer.c;
        r.d = outer.d * a + outer.e * d;
        r.e = outer.d * b + outer.e * e;
        r.f = outer.d * c + outer.e * f + outer.f;
        return r;
    }
    double scale() const { return std::sqrt(std::fabs(a * e - b * d)); }
};

// A reference's own placement: reflection about x, then magnification, then rotation
// counter-clockwise, then the move to its origin.
Affine placement(const GDSIIElement &element, double originX, double originY)
{
    const double mag = element.Mag > 0 && std::isfinite(element.Mag) ? element.Mag : 1.0;
    const double radians = std::isfinite(element.Angle) ? element.Angle * M_PI / 180.0 : 0.0;
    double cosine = std::cos(radians), sine = std::sin(radians);
    // Right angles exactly, so that rotated shapes keep their edges on the cells.
    const double quarterTurns = element.Angle / 90.0;
    if (std::isfinite(quarterTurns) && quarterTurns == std::floor(quarterTurns)) {
        const long q = static_cast<long>(std::fmod(quarterTurns, 4.0) + 4.0) % 4;
        const double c[4] = {1, 0, -1, 0}, s[4] = {0, 1, 0, -1};
        cosine = c[q];
        sine = s[q];
    }
    const double flip = element.Refl ? -1.0 : 1.0;
    Affine t;
    t.a = mag * cosine;
    t.b = -mag * sine * flip;
    t.d = mag * sine;
    t.e = mag * cosine * flip;
    t.c = originX;
    t.f = originY;
    return t;
}

struct Point
{
    double x, y;
};

class Flattener
{
public:
    Flattener(const libGDSII::GDSIIData &data, double micronsPerUnit, std::map<int, std::vector<GdsLayout::Polygon>> &out)
        : data(data), micronsPerUnit(micronsPerUnit), out(out)
    {
    }

    bool flatten(int structIndex, const Affine &toMicrons, int depth)
    {
        if (depth > GdsLayout::maxDepth) {
            error = QStringLiteral("References nest deeper than %1 levels (a structure that contains itself?).")
                        .arg(GdsLayout::maxDepth);
            return false;
        }
        const GDSIIStruct &structure = *data.Structs[static_cast<size_t>(structIndex)];
        for (const GDSIIElement *element : structure.Elements) {
            if (!element)
                continue;
            bool ok = true;
            switch (element->Type) {
            case BOUNDARY:
            case BOX:
                ok = addBoundary(*element, toMicrons);
                break;
            case PATH:
                ok = addPath(*element, toMicrons);
                break;
            case SREF:
            case AREF:
                ok = addReference(*element, toMicrons, depth);
                break;
            default:
                break;
            }
            if (!ok)
                return false;
        }
        return true;
    }

    QString error;

private:
    bool spend(size_t work)
    {
        spent += work;
        if (spent <= GdsLayout::maxVertices)
            return true;
        error = QStringLiteral("The layout flattens to more than %1 vertices.").arg(GdsLayout::maxVertices);
        return false;
    }

    bool output(int layer, const std::vector<Point> &points, const Affine &t)
    {
        if (points.size() < 3)
            return true;
        if (!spend(points.size()))
            return false;
        GdsLayout::Polygon polygon;
        polygon.xy.reserve(points.size() * 2);
        for (const Point &p : points) {
            polygon.xy.push_back((t.a * p.x + t.b * p.y + t.c) * micronsPerUnit);
            polygon.xy.push_back((t.d * p.x + t.e * p.y + t.f) * micronsPerUnit);
        }
        out[layer].push_back(std::move(polygon));
        return true;
    }

    static std::vector<Point> points(const GDSIIElement &element)
    {
        std::vector<Point> result;
        result.reserve(element.XY.size() / 2);
        for (size_t k = 0; k + 1 < element.XY.size(); k += 2) {
            const Point p{double(element.XY[k]), double(element.XY[k + 1])};
            if (result.empty() || p.x != result.back().x || p.y != result.back().y)
                result.push_back(p);
        }
        return result;
    }

    bool addBoundary(const GDSIIElement &element, const Affine &t)
    {
        std::vector<Point> p = points(element);
        if (p.size() > 1 && p.front().x == p.back().x && p.front().y == p.back().y)
            p.pop_back();
        return output(element.Layer, p, t);
    }

    bool addDisc(int layer, Point centre, double radius, const Affine &t)
    {
        constexpr int sides = 32;
        std::vector<Point> disc;
        disc.reserve(sides);
        for (int k = 0; k < sides; ++k) {
            const double phi = 2.0 * M_PI * (k + 0.5) / sides;
            // Outer radius so that the polygon holds the whole circle.
            const double r = radius / std::cos(M_PI / sides);
            disc.push_back({centre.x + r * std::cos(phi), centre.y + r * std::sin(phi)});
        }
        return output(layer, disc, t);
    }

    // A path becomes one rectangle per segment, a mitred wedge on the outer side of
    // every bend (a disc for round paths), and its end caps: flush for path type 0 (and
    // the custom type 4, whose extensions are not read), half the width beyond the ends
    // for type 2, round for type 1. A negative width is absolute: not magnified.
    bool addPath(const GDSIIElement &element, const Affine &t)
    {
        const std::vector<Point> p = points(element);
        double width = std::fabs(double(element.Width));
        if (element.Width < 0 && t.scale() > 0)
            width /= t.scale();
        if (p.size() < 2 || !(width > 0))
            return true;
        const double h = width / 2;
        const bool round = element.PathType == 1;
        const double extension = element.PathType == 2 ? h : 0.0;
        const size_t segments = p.size() - 1;
        std::vector<Point> u(segments);
        for (size_t s = 0; s < segments; ++s) {
            const double dx = p[s + 1].x - p[s].x, dy = p[s + 1].y - p[s].y;
            const double length = std::hypot(dx, dy);
            u[s] = {dx / length, dy / length};
        }
        for (size_t s = 0; s < segments; ++s) {
            Point a = p[s], b = p[s + 1];
            if (s == 0)
                a = {a.x - u[s].x * extension, a.y - u[s].y * extension};
            if (s + 1 == segments)
                b = {b.x + u[s].x * extension, b.y + u[s].y * extension};
            const Point n{-u[s].y * h, u[s].x * h};
            if (!output(element.Layer, {{a.x + n.x, a.y + n.y}, {a.x - n.x, a.y - n.y}, {b.x - n.x, b.y - n.y}, {b.x + n.x, b.y + n.y}}, t))
                return false;
        }
        for (size_t s = 1; s < segments; ++s) {
            const Point &v = p[s];
            if (round) {
                if (!addDisc(element.Layer, v, h, t))
                    return false;
                continue;
            }
            const Point u1 = u[s - 1], u2 = u[s];
            const double cross = u1.x * u2.y - u1.y * u2.x;
            const double dot = u1.x * u2.x + u1.y * u2.y;
            if (std::fabs(cross) < 1e-12 && dot > 0)
                continue;
            // The outer side is to the right of a left turn and to the left of a right turn.
            const double side = cross > 0 ? -1.0 : 1.0;
            const Point o1{-u1.y * h * side, u1.x * h * side}, o2{-u2.y * h * side, u2.x * h * side};
            const Point e1{v.x + o1.x, v.y + o1.y}, e2{v.x + o2.x, v.y + o2.y};
            // The mitre tip; a nearly reversing path gets a bevel instead of a spike.
            if (1.0 + dot > 0.02) {
                const Point tip{v.x + (o1.x + o2.x) / (1.0 + dot), v.y + (o1.y + o2.y) / (1.0 + dot)};
                if (!output(element.Layer, {v, e1, tip, e2}, t))
                    return false;
            } else if (!output(element.Layer, {v, e1, e2}, t)) {
                return false;
            }
        }
        if (round)
            return addDisc(element.Layer, p.front(), h, t) && addDisc(element.Layer, p.back(), h, t);
        return true;
    }

    bool addReference(const GDSIIElement &element, const Affine &parent, int depth)
    {
        if (element.nsRef < 0 || static_cast<size_t>(element.nsRef) >= data.Structs.size()) {
            error = QStringLiteral("A reference names a structure that is not in the file: %1.")
                        .arg(element.SName ? QString::fromStdString(*element.SName) : QStringLiteral("(no name)"));
            return false;
        }
        if (element.XY.size() < 2)
            return true;
        const double x0 = element.XY[0], y0 = element.XY[1];
        if (element.Type == SREF)
            return spend(1) && flatten(element.nsRef, placement(element, x0, y0).then(parent), depth + 1);
        if (element.XY.size() < 6 || element.Columns <= 0 || element.Rows <= 0)
            return true;
        // The array's corner points give its column and row steps, rotation included.
        const double colX = (element.XY[2] - x0) / element.Columns, colY = (element.XY[3] - y0) / element.Columns;
        const double rowX = (element.XY[4] - x0) / element.Rows, rowY = (element.XY[5] - y0) / element.Rows;
        for (int r = 0; r < element.Rows; ++r)
            for (int c = 0; c < element.Columns; ++c) {
                const Affine t = placement(element, x0 + c * colX + r * rowX, y0 + c * colY + r * rowY);
                if (!spend(1) || !flatten(element.nsRef, t.then(parent), depth + 1))
                    return false;
            }
        return true;
    }

    const libGDSII::GDSIIData &data;
    double micronsPerUnit;
    std::map<int, std::vector<GdsLayout::Polygon>> &out;
    size_t spent = 0;
};

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

QString layerList(const std::vector<int> &layers)
{
    QStringList names;
    for (int layer : layers)
        names << QString::number(layer);
    return names.join(QStringLiteral(", "));
}

} // namespace

const QStringList GdsLayout::suffixes = {QStringLiteral("gds"), QStringLiteral("gds2"), QStringLiteral("gdsii")};

bool GdsLayout::isLayoutFile(const QString &fileName)
{
    return suffixes.contains(QFileInfo(fileName.trimmed()).suffix().toLower());
}

bool GdsLayout::read(const QString &fileName, const QString &topCell, GdsLayout *layout, QString *reason)
{
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) {
        setReason(reason, QStringLiteral("Cannot read the layout file %1.").arg(fileName));
        return false;
    }
    std::unique_ptr<libGDSII::GDSIIData> data;
    try {
        data = std::make_unique<libGDSII::GDSIIData>(QFile::encodeName(fileName).toStdString());
    } catch (const std::exception &e) {
        setReason(reason, QStringLiteral("%1 is not a GDSII layout (%2).").arg(fileName, QString::fromLocal8Bit(e.what())));
        return false;
    }
    if (data->ErrMsg) {
        setReason(reason, QStringLiteral("%1 is not a GDSII layout (%2).").arg(fileName, QString::fromStdString(*data->ErrMsg)));
        return false;
    }
    const double micronsPerUnit = data->FileUnits[1] / 1.0e-6;
    if (!std::isfinite(micronsPerUnit) || !(micronsPerUnit > 0)) {
        setReason(reason, QStringLiteral("%1 has no valid database unit.").arg(fileName));
        return false;
    }
    std::vector<int> tops;
    for (size_t s = 0; s < data->Structs.size(); ++s) {
        const GDSIIStruct *structure = data->Structs[s];
        if (!structure)
            continue;
        const QString name = structure->Name ? QString::fromStdString(*structure->Name) : QString();
        if (topCell.isEmpty() ? !structure->IsReferenced : name == topCell)
            tops.push_back(static_cast<int>(s));
    }
    if (tops.empty()) {
        setReason(reason, topCell.isEmpty() ? QStringLiteral("%1 has no top-level structure (each one is referenced by "
                                                             "another); name a top cell.")
                                                  .arg(fileName)
                                            : QStringLiteral("The layout has no structure named %1.").arg(topCell));
        return false;
    }
    GdsLayout result;
    Flattener flattener(*data, micronsPerUnit, result.byLayer);
    for (int top : tops)
        if (!flattener.flatten(top, Affine(), 0)) {
            setReason(reason, flattener.error);
            return false;
        }
    *layout = std::move(result);
    return true;
}

std::vector<int> GdsLayout::layers() const
{
    std::vector<int> result;
    for (const auto &layer : byLayer)
        if (!layer.second.empty())
            result.push_back(layer.first);
    return result;
}

const std::vector<GdsLayout::Polygon> &GdsLayout::polygons(int layer) const
{
    static const std::vector<Polygon> none;
    const auto found = byLayer.find(layer);
    return found == byLayer.end() ? none : found->second;
}

bool GdsMask::fromFile(const QString &fileName, const GdsMaskPlacement &placement, int32_t sizeX, int32_t sizeY,
                       Mask *mask, QString *reason)
{
    if (!(placement.cellsPerMicron > 0) || placement.cellsPerMicron > maxCellsPerMicron) {
        setReason(reason, QStringLiteral("The scale must be a positive number of cells per micron, at most %1.")
                              .arg(maxCellsPerMicron, 0, 'f', 0));
        return false;
    }
    GdsLayout layout;
    if (!GdsLayout::read(fileName, placement.topCell, &layout, reason))
        return false;
    return fromLayout(layout, placement, sizeX, sizeY, mask, reason);
}

bool GdsMask::fromLayout(const GdsLayout &layout, const GdsMaskPlacement &placement, int32_t sizeX, int32_t sizeY,
                         Mask *mask, QString *reason)
{
    const double scale = placement.cellsPerMicron;
    if (!(scale > 0) || scale > maxCellsPerMicron) {
        setReason(reason, QStringLiteral("The scale must be a positive number of cells per micron, at most %1.")
                              .arg(maxCellsPerMicron, 0, 'f', 0));
        return false;
    }
    if (!std::isfinite(placement.offsetX) || !std::isfinite(placement.offsetY)) {
        setReason(reason, QStringLiteral("The offset must be a finite number of cells."));
        return false;
    }
    const std::vector<GdsLayout::Polygon> &polygons = layout.polygons(placement.layer);
    if (polygons.empty()) {
        const std::vector<int> layers = layout.layers();
        setReason(reason, layers.empty() ? QStringLiteral("The layout has no shapes.")
                                         : QStringLiteral("The layout has no shapes on layer %1. Layers with shapes: %2.")
                                               .arg(placement.layer)
                                               .arg(layerList(layers)));
        return false;
    }
    const auto cellX = [&](double x) { return x * scale + placement.offsetX; };
    const auto cellY = [&](double y) { return y * scale + placement.offsetY; };
    if (sizeX <= 0 || sizeY <= 0) {
        double farX = 0, farY = 0;
        for (const GdsLayout::Polygon &polygon : polygons)
            for (size_t k = 0; k + 1 < polygon.xy.size(); k += 2) {
                farX = std::max(farX, cellX(polygon.xy[k]));
                farY = std::max(farY, cellY(polygon.xy[k + 1]));
            }
        const double columns = std::ceil(farX - 0.5), rows = std::ceil(farY - 0.5);
        if (columns * rows > double(Mask::maxPixels)) {
            setReason(reason, QStringLiteral("At this scale the layer needs more than %1 columns.").arg(Mask::maxPixels));
            return false;
        }
        sizeX = static_cast<int32_t>(std::max(columns, 1.0));
        sizeY = static_cast<int32_t>(std::max(rows, 1.0));
    } else if (qint64(sizeX) * sizeY > Mask::maxPixels) {
        setReason(reason, QStringLiteral("A mask cannot have more than %1 columns.").arg(Mask::maxPixels));
        return false;
    }

    // Row-major coverage, one byte per column, so that spans fill with memset.
    const size_t width = static_cast<size_t>(sizeX), height = static_cast<size_t>(sizeY);
    std::vector<uint8_t> covered(width * height, 0);
    struct Crossing
    {
        int32_t row;
        int32_t direction;
        double x;
        bool operator<(const Crossing &o) const { return row != o.row ? row < o.row : x < o.x; }
    };
    std::vector<Crossing> crossings;
    std::vector<double> xs, ys;
    bool any = false;
    for (const GdsLayout::Polygon &polygon : polygons) {
        const size_t n = polygon.xy.size() / 2;
        xs.resize(n);
        ys.resize(n);
        double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
        for (size_t k = 0; k < n; ++k) {
            xs[k] = cellX(polygon.xy[2 * k]);
            ys[k] = cellY(polygon.xy[2 * k + 1]);
            minX = std::min(minX, xs[k]);
            maxX = std::max(maxX, xs[k]);
            minY = std::min(minY, ys[k]);
            maxY = std::max(maxY, ys[k]);
        }
        // Column centres at i + 0.5: a polygon off the volume, or between centres, covers none.
        if (!(maxX > 0.5 && maxY > 0.5 && minX < double(width) - 0.5 && minY < double(height) - 0.5))
            continue;
        crossings.clear();
        for (size_t k = 0; k < n; ++k) {
            const double x0 = xs[k], y0 = ys[k];
            const double x1 = xs[(k + 1) % n], y1 = ys[(k + 1) % n];
            if (y0 == y1)
                continue;
            // Rows whose centre lies in [low, high): each crossing is counted once.
            const double low = std::min(y0, y1), high = std::max(y0, y1);
            const double first = std::max(std::ceil(low - 0.5), 0.0);
            const double last = std::min(std::ceil(high - 0.5) - 1.0, double(height) - 1.0);
            const double slope = (x1 - x0) / (y1 - y0);
            const int32_t direction = y1 > y0 ? 1 : -1;
            for (double row = first; row <= last; row += 1.0)
                crossings.push_back({static_cast<int32_t>(row), direction, x0 + (row + 0.5 - y0) * slope});
        }
        std::sort(crossings.begin(), crossings.end());
        // Non-zero winding along each row: a span runs from where the winding leaves 0
        // to where it returns, covering the columns whose centres lie in [start, end).
        int winding = 0;
        double start = 0;
        for (size_t k = 0; k < crossings.size(); ++k) {
            const Crossing &c = crossings[k];
            if (k > 0 && c.row != crossings[k - 1].row)
                winding = 0;
            const int before = winding;
            winding += c.direction;
            if (before == 0 && winding != 0) {
                start = c.x;
            } else if (before != 0 && winding == 0) {
                const double firstColumn = std::max(std::ceil(start - 0.5), 0.0);
                const double endColumn = std::min(std::ceil(c.x - 0.5), double(width));
                if (endColumn > firstColumn) {
                    std::memset(&covered[size_t(c.row) * width + size_t(firstColumn)], 1,
                                size_t(endColumn - firstColumn));
                    any = true;
                }
            }
        }
    }
    if (!any) {
        setReason(reason, QStringLiteral("No shape on layer %1 covers a column of the %2 x %3 columns; check the scale "
                                         "and the offset.")
                              .arg(placement.layer)
                              .arg(sizeX)
                              .arg(sizeY));
        return false;
    }
    std::vector<bool> bits(width * height);
    for (size_t j = 0; j < height; ++j) {
        const uint8_t *row = &covered[j * width];
        for (size_t i = 0; i < width; ++i)
            if (row[i])
                bits[i * height + j] = true;
    }
    *mask = Mask(std::move(bits), sizeX, sizeY);
    return true;
}

} // namespace Operations
} // namespace Core
