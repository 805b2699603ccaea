#include "Core/Operations/Photolithography/gdsmask.h"

#include <QFile>
#include <QFileInfo>

#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "Core/Operations/Photolithography/gdsstream.h"

namespace Core {
namespace Operations {

namespace {

using Element = GdsStream::Element;
using Structure = GdsStream::Structure;

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
Affine placement(const Element &element, double originX, double originY)
{
    const double mag = element.magnification;
    const double radians = element.angle * M_PI / 180.0;
    double cosine = std::cos(radians), sine = std::sin(radians);
    // Right angles exactly, so that rotated shapes keep their edges on the cells.
    const double quarterTurns = element.angle / 90.0;
    if (quarterTurns == std::floor(quarterTurns) && std::fabs(quarterTurns) < 1e9) {
        const long q = static_cast<long>(std::fmod(quarterTurns, 4.0) + 4.0) % 4;
        const double c[4] = {1, 0, -1, 0}, s[4] = {0, 1, 0, -1};
        cosine = c[q];
        sine = s[q];
    }
    const double flip = element.reflect ? -1.0 : 1.0;
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

// An axis-aligned box in a structure's own database units; `unbounded` where a shape's
// extent is not known before flattening (a path of absolute width).
struct Box
{
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    bool unbounded = false;

    bool empty() const { return !unbounded && minX > maxX; }
    void add(double x, double y, double margin = 0.0)
    {
        minX = std::min(minX, x - margin);
        maxX = std::max(maxX, x + margin);
        minY = std::min(minY, y - margin);
        maxY = std::max(maxY, y + margin);
    }
    // The box around this one moved by `t`.
    Box through(const Affine &t) const
    {
        Box r;
        r.unbounded = unbounded;
        if (empty() || unbounded)
            return r;
        for (int k = 0; k < 4; ++k) {
            const double x = k & 1 ? maxX : minX, y = k & 2 ? maxY : minY;
            r.add(t.a * x + t.b * y + t.c, t.d * x + t.e * y + t.f);
        }
        return r;
    }
    void unite(const Box &o)
    {
        unbounded = unbounded || o.unbounded;
        if (!o.empty() && !o.unbounded) {
            minX = std::min(minX, o.minX);
            maxX = std::max(maxX, o.maxX);
            minY = std::min(minY, o.minY);
            maxY = std::max(maxY, o.maxY);
        }
    }
};

constexpr int discSides = 32;

// An upper bound of the vertices an element flattens to (the path output below).
double ownVertices(const Element &element)
{
    const double n = double(element.xy.size() / 2);
    switch (element.kind) {
    case Element::Boundary:
        return n;
    case Element::Box:
        return 5;
    case Element::Path:
        return n < 2 ? 0 : (n - 1) * 4 + (n - 2) * 4 + (element.pathType == GdsStream::PathType::Round ? n * discSides : 0);
    default:
        return 0;
    }
}

// The column and row steps of an array (its corner points hold the rotation already).
void arraySteps(const Element &element, Point *column, Point *row)
{
    const double x0 = element.xy[0], y0 = element.xy[1];
    *column = {(element.xy[2] - x0) / element.columns, (element.xy[3] - y0) / element.columns};
    *row = {(element.xy[4] - x0) / element.rows, (element.xy[5] - y0) / element.rows};
}

class Flattener
{
public:
    Flattener(const GdsStream &stream, const std::vector<Box> &boxes, double micronsPerUnit,
              const GdsLayout::Window *window, std::map<std::pair<int, int>, std::vector<GdsLayout::Polygon>> &out)
        : stream(stream), boxes(boxes), micronsPerUnit(micronsPerUnit), window(window), out(out)
    {
    }

    // Depth and size are bounded before this runs, so the recursion ends.
    void flatten(int structIndex, const Affine &toUnits)
    {
        if (!visible(structIndex, toUnits))
            return;
        for (const Element &element : stream.structures()[size_t(structIndex)].elements) {
            switch (element.kind) {
            case Element::Boundary:
            case Element::Box:
                addBoundary(element, toUnits);
                break;
            case Element::Path:
                addPath(element, toUnits);
                break;
            case Element::StructureRef:
                flatten(element.structure, placement(element, element.xy[0], element.xy[1]).then(toUnits));
                break;
            case Element::ArrayRef: {
                Point column, row;
                arraySteps(element, &column, &row);
                for (int r = 0; r < element.rows; ++r)
                    for (int c = 0; c < element.columns; ++c) {
                        const double x = element.xy[0] + c * column.x + r * row.x;
                        const double y = element.xy[1] + c * column.y + r * row.y;
                        flatten(element.structure, placement(element, x, y).then(toUnits));
                    }
                break;
            }
            }
        }
    }

private:
    bool visible(int structIndex, const Affine &toUnits) const
    {
        if (!window)
            return true;
        const Box box = boxes[size_t(structIndex)].through(toUnits);
        if (box.unbounded)
            return true;
        if (box.empty())
            return false;
        return box.maxX * micronsPerUnit >= window->minX && box.minX * micronsPerUnit <= window->maxX &&
               box.maxY * micronsPerUnit >= window->minY && box.minY * micronsPerUnit <= window->maxY;
    }

    void output(const Element &element, const std::vector<Point> &points, const Affine &t)
    {
        if (points.size() < 3)
            return;
        GdsLayout::Polygon polygon;
        polygon.xy.reserve(points.size() * 2);
        for (const Point &p : points) {
            const double x = (t.a * p.x + t.b * p.y + t.c) * micronsPerUnit;
            const double y = (t.d * p.x + t.e * p.y + t.f) * micronsPerUnit;
            // Absurd magnifications overflow; such a shape lies off any volume.
            if (!std::isfinite(x) || !std::isfinite(y))
                return;
            polygon.xy.push_back(x);
            polygon.xy.push_back(y);
        }
        out[{element.layer, element.datatype}].push_back(std::move(polygon));
    }

    static std::vector<Point> points(const Element &element)
    {
        std::vector<Point> result;
        result.reserve(element.xy.size() / 2);
        for (size_t k = 0; k + 1 < element.xy.size(); k += 2) {
            const Point p{double(element.xy[k]), double(element.xy[k + 1])};
            if (result.empty() || p.x != result.back().x || p.y != result.back().y)
                result.push_back(p);
        }
        return result;
    }

    void addBoundary(const Element &element, const Affine &t)
    {
        std::vector<Point> p = points(element);
        if (p.size() > 1 && p.front().x == p.back().x && p.front().y == p.back().y)
            p.pop_back();
        output(element, p, t);
    }

    void addDisc(const Element &element, Point centre, double radius, const Affine &t)
    {
        std::vector<Point> disc;
        disc.reserve(discSides);
        // Outer radius so that the polygon holds the whole circle.
        const double r = radius / std::cos(M_PI / discSides);
        for (int k = 0; k < discSides; ++k) {
            const double phi = 2.0 * M_PI * (k + 0.5) / discSides;
            disc.push_back({centre.x + r * std::cos(phi), centre.y + r * std::sin(phi)});
        }
        output(element, disc, t);
    }

    // A path becomes one rectangle per segment, a mitred wedge on the outer side of
    // every bend (a disc for round paths), and its end caps: flush for path type 0, half
    // the width beyond the ends for type 2, the BGNEXTN and ENDEXTN lengths for type 4,
    // round for type 1. A negative width is absolute: not magnified.
    void addPath(const Element &element, const Affine &t)
    {
        const std::vector<Point> p = points(element);
        double width = std::fabs(double(element.width));
        if (element.width < 0 && t.scale() > 0)
            width /= t.scale();
        if (p.size() < 2 || !(width > 0))
            return;
        const double h = width / 2;
        using PathType = GdsStream::PathType;
        const bool round = element.pathType == PathType::Round;
        const double begin = element.pathType == PathType::HalfWidth ? h
                             : element.pathType == PathType::Extended ? element.beginExtension
                                                                      : 0.0;
        const double end = element.pathType == PathType::HalfWidth ? h
                           : element.pathType == PathType::Extended ? element.endExtension
                                                                    : 0.0;
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
                a = {a.x - u[s].x * begin, a.y - u[s].y * begin};
            if (s + 1 == segments)
                b = {b.x + u[s].x * end, b.y + u[s].y * end};
            const Point n{-u[s].y * h, u[s].x * h};
            output(element, {{a.x + n.x, a.y + n.y}, {a.x - n.x, a.y - n.y}, {b.x - n.x, b.y - n.y}, {b.x + n.x, b.y + n.y}}, t);
        }
        for (size_t s = 1; s < segments; ++s) {
            const Point &v = p[s];
            if (round) {
                addDisc(element, v, h, t);
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
                output(element, {v, e1, tip, e2}, t);
            } else {
                output(element, {v, e1, e2}, t);
            }
        }
        if (round) {
            addDisc(element, p.front(), h, t);
            addDisc(element, p.back(), h, t);
        }
    }

    const GdsStream &stream;
    const std::vector<Box> &boxes;
    double micronsPerUnit;
    const GdsLayout::Window *window;
    std::map<std::pair<int, int>, std::vector<GdsLayout::Polygon>> &out;
};

// What the hierarchy below each structure flattens to, computed children first.
struct Analysis
{
    std::vector<double> work; // vertices plus instances
    std::vector<int> depth;   // levels of structures, 1 for one without references
    std::vector<Box> boxes;
};

QString quoted(const QByteArray &name)
{
    return QString::fromLatin1(name);
}

// Resolves references, picks the top structures and bounds the flattening. False with
// the reason for a missing structure, a cycle, a nesting too deep or a layout too large.
bool analyse(GdsStream &stream, const QString &source, const QString &topCell, std::vector<int> *tops,
             Analysis *analysis, QString *reason)
{
    std::vector<Structure> &structures = stream.structures();
    const size_t count = structures.size();
    std::map<QByteArray, int> byName;
    for (size_t s = 0; s < count; ++s) {
        const auto inserted = byName.emplace(structures[s].name, int(s));
        if (!inserted.second) {
            *reason = QStringLiteral("The layout holds two structures named %1 (at bytes %2 and %3).")
                          .arg(quoted(structures[s].name))
                          .arg(structures[size_t(inserted.first->second)].offset)
                          .arg(structures[s].offset);
            return false;
        }
    }
    std::vector<char> referenced(count, 0);
    for (Structure &structure : structures)
        for (Element &element : structure.elements)
            if (element.kind == Element::StructureRef || element.kind == Element::ArrayRef) {
                const auto found = byName.find(element.structureName);
                element.structure = found == byName.end() ? -1 : found->second;
                if (element.structure >= 0)
                    referenced[size_t(element.structure)] = 1;
            }
    tops->clear();
    if (topCell.isEmpty()) {
        for (size_t s = 0; s < count; ++s)
            if (!referenced[s])
                tops->push_back(int(s));
    } else {
        const auto found = byName.find(topCell.toLatin1());
        if (found != byName.end())
            tops->push_back(found->second);
    }
    if (tops->empty()) {
        *reason = topCell.isEmpty()
                      ? QStringLiteral("%1 has no top-level structure (each one is referenced by another); name a top cell.")
                            .arg(source)
                      : QStringLiteral("The layout has no structure named %1.").arg(topCell);
        return false;
    }

    // Depth-first from the tops without recursion, so a long chain of structures cannot
    // exhaust the stack; a structure is finished once all it references is.
    analysis->work.assign(count, 0.0);
    analysis->depth.assign(count, 0);
    analysis->boxes.assign(count, Box());
    enum : char { Unseen, Open, Done };
    std::vector<char> state(count, Unseen);
    struct Frame
    {
        int structure;
        size_t next; // the element to look at next
    };
    std::vector<Frame> stack;
    double total = 0.0;
    const double limit = double(GdsLayout::maxVertices);
    for (int top : *tops) {
        if (state[size_t(top)] == Unseen) {
            stack.push_back({top, 0});
            state[size_t(top)] = Open;
        }
        while (!stack.empty()) {
            Frame &frame = stack.back();
            const Structure &structure = structures[size_t(frame.structure)];
            if (frame.next < structure.elements.size()) {
                const Element &element = structure.elements[frame.next++];
                if (element.kind != Element::StructureRef && element.kind != Element::ArrayRef)
                    continue;
                if (element.structure < 0) {
                    *reason = QStringLiteral("Structure %1 references %2, which is not in the layout.")
                                  .arg(quoted(structure.name), quoted(element.structureName));
                    return false;
                }
                const size_t child = size_t(element.structure);
                if (state[child] == Open) {
                    QStringList cycle;
                    size_t k = stack.size();
                    while (k > 0 && stack[k - 1].structure != element.structure)
                        --k;
                    for (size_t i = k > 0 ? k - 1 : 0; i < stack.size(); ++i)
                        cycle << quoted(structures[size_t(stack[i].structure)].name);
                    cycle << quoted(element.structureName);
                    *reason = QStringLiteral("References form a cycle: %1.").arg(cycle.join(QStringLiteral(" > ")));
                    return false;
                }
                if (state[child] == Unseen) {
                    state[child] = Open;
                    stack.push_back({int(child), 0});
                }
                continue;
            }
            // Every structure this one references is done: add them up.
            const size_t s = size_t(frame.structure);
            double work = 0.0;
            int depth = 1;
            Box box;
            for (const Element &element : structure.elements) {
                if (element.kind != Element::StructureRef && element.kind != Element::ArrayRef) {
                    work += ownVertices(element);
                    // A mitre tip reaches at most five widths from its bend.
                    const double margin =
                        element.kind == Element::Path
                            ? 5.0 * std::fabs(double(element.width)) +
                                  std::max(std::fabs(double(element.beginExtension)), std::fabs(double(element.endExtension)))
                            : 0.0;
                    if (element.kind == Element::Path && element.width < 0)
                        box.unbounded = true;
                    for (size_t k = 0; k + 1 < element.xy.size(); k += 2)
                        box.add(element.xy[k], element.xy[k + 1], margin);
                    continue;
                }
                const size_t child = size_t(element.structure);
                const double instances = double(element.columns) * double(element.rows);
                work += instances * (1.0 + analysis->work[child]);
                depth = std::max(depth, analysis->depth[child] + 1);
                Box reach = analysis->boxes[child].through(placement(element, element.xy[0], element.xy[1]));
                if (element.kind == Element::ArrayRef) {
                    Point column, row;
                    arraySteps(element, &column, &row);
                    // The instances' origins span a parallelogram: move the box along both sides.
                    Affine shift;
                    shift.c = (element.columns - 1) * column.x;
                    shift.f = (element.columns - 1) * column.y;
                    reach.unite(reach.through(shift));
                    shift.c = (element.rows - 1) * row.x;
                    shift.f = (element.rows - 1) * row.y;
                    reach.unite(reach.through(shift));
                }
                box.unite(reach);
            }
            if (work > limit) {
                *reason = QStringLiteral("The layout flattens to %1 vertices and instances (structure %2 alone), "
                                         "more than the limit of %3.")
                              .arg(work, 0, 'f', 0)
                              .arg(quoted(structure.name))
                              .arg(double(GdsLayout::maxVertices), 0, 'f', 0);
                return false;
            }
            if (depth > GdsLayout::maxDepth) {
                *reason = QStringLiteral("References nest deeper than %1 levels below structure %2.")
                              .arg(GdsLayout::maxDepth)
                              .arg(quoted(structure.name));
                return false;
            }
            analysis->work[s] = work;
            analysis->depth[s] = depth;
            analysis->boxes[s] = box;
            state[s] = Done;
            stack.pop_back();
        }
        total += analysis->work[size_t(top)];
        if (total > limit) {
            *reason = QStringLiteral("The layout flattens to %1 vertices and instances, more than the limit of %2.")
                          .arg(total, 0, 'f', 0)
                          .arg(double(GdsLayout::maxVertices), 0, 'f', 0);
            return false;
        }
    }
    return true;
}

bool readStream(const QByteArray &bytes, const QString &source, const QString &topCell, GdsLayout::Window const *window,
                std::map<std::pair<int, int>, std::vector<GdsLayout::Polygon>> *shapes, QString *reason)
{
    GdsStream stream;
    QString error;
    if (!stream.parse(bytes, &error)) {
        *reason = QStringLiteral("%1 is not a GDSII layout (%2).").arg(source, error);
        return false;
    }
    const double micronsPerUnit = stream.metresPerUnit() / 1.0e-6;
    std::vector<int> tops;
    Analysis analysis;
    if (!analyse(stream, source, topCell, &tops, &analysis, reason))
        return false;
    Flattener flattener(stream, analysis.boxes, micronsPerUnit, window, *shapes);
    for (int top : tops)
        flattener.flatten(top, Affine());
    return true;
}

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

QString numberList(const std::vector<int> &numbers)
{
    QStringList names;
    for (int number : numbers)
        names << QString::number(number);
    return names.join(QStringLiteral(", "));
}

} // namespace

const QStringList GdsLayout::suffixes = {QStringLiteral("gds"), QStringLiteral("gds2"), QStringLiteral("gdsii")};

bool GdsLayout::isLayoutFile(const QString &fileName)
{
    return suffixes.contains(QFileInfo(fileName.trimmed()).suffix().toLower());
}

bool GdsLayout::read(const QString &fileName, const QString &topCell, GdsLayout *layout, QString *reason,
                     const Window *window)
{
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        setReason(reason, QStringLiteral("Cannot read the layout file %1.").arg(fileName));
        return false;
    }
    if (file.size() > maxFileBytes) {
        setReason(reason, QStringLiteral("%1 is larger than %2 MiB; Kelvane reads layouts up to that size.")
                              .arg(fileName)
                              .arg(maxFileBytes >> 20));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        setReason(reason, QStringLiteral("Cannot read the layout file %1.").arg(fileName));
        return false;
    }
    GdsLayout result;
    QString error;
    if (!readStream(bytes, fileName, topCell, window, &result.shapes, &error)) {
        setReason(reason, error);
        return false;
    }
    *layout = std::move(result);
    return true;
}

bool GdsLayout::fromBytes(const QByteArray &bytes, const QString &topCell, GdsLayout *layout, QString *reason,
                          const Window *window)
{
    GdsLayout result;
    QString error;
    if (!readStream(bytes, QStringLiteral("The data"), topCell, window, &result.shapes, &error)) {
        setReason(reason, error);
        return false;
    }
    *layout = std::move(result);
    return true;
}

std::vector<int> GdsLayout::layers() const
{
    std::vector<int> result;
    for (const auto &group : shapes)
        if (!group.second.empty() && (result.empty() || result.back() != group.first.first))
            result.push_back(group.first.first);
    return result;
}

std::vector<int> GdsLayout::datatypes(int layer) const
{
    std::vector<int> result;
    for (auto it = shapes.lower_bound({layer, INT_MIN}); it != shapes.end() && it->first.first == layer; ++it)
        if (!it->second.empty())
            result.push_back(it->first.second);
    return result;
}

std::vector<const GdsLayout::Polygon *> GdsLayout::polygons(int layer, int datatype) const
{
    std::vector<const Polygon *> result;
    for (auto it = shapes.lower_bound({layer, INT_MIN}); it != shapes.end() && it->first.first == layer; ++it)
        if (datatype < 0 || it->first.second == datatype)
            for (const Polygon &polygon : it->second)
                result.push_back(&polygon);
    return result;
}

bool GdsMask::fromFile(const QString &fileName, const GdsMaskPlacement &placement, int32_t sizeX, int32_t sizeY,
                       Mask *mask, QString *reason)
{
    if (!(placement.cellsPerMicron > 0) || placement.cellsPerMicron > maxCellsPerMicron) {
        setReason(reason, QStringLiteral("The scale must be a positive number of cells per micron, at most %1.")
                              .arg(maxCellsPerMicron, 0, 'f', 0));
        return false;
    }
    // Shapes that miss the columns need not be expanded: the window holds the columns in
    // microns, with a cell's margin. Sizes of 0 ask for the full extent of the layer.
    GdsLayout::Window window{-HUGE_VAL, -HUGE_VAL, HUGE_VAL, HUGE_VAL};
    const bool clip = sizeX > 0 && sizeY > 0 && std::isfinite(placement.offsetX) && std::isfinite(placement.offsetY);
    if (clip) {
        const double scale = placement.cellsPerMicron;
        window = {(-1.0 - placement.offsetX) / scale, (-1.0 - placement.offsetY) / scale,
                  (double(sizeX) + 1.0 - placement.offsetX) / scale, (double(sizeY) + 1.0 - placement.offsetY) / scale};
    }
    GdsLayout layout;
    if (!GdsLayout::read(fileName, placement.topCell, &layout, reason, clip ? &window : nullptr))
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
    const std::vector<const GdsLayout::Polygon *> polygons = layout.polygons(placement.layer, placement.datatype);
    if (polygons.empty()) {
        const std::vector<int> layers = layout.layers();
        const std::vector<int> datatypes = layout.datatypes(placement.layer);
        if (layers.empty())
            setReason(reason, QStringLiteral("The layout has no shapes."));
        else if (datatypes.empty())
            setReason(reason, QStringLiteral("The layout has no shapes on layer %1. Layers with shapes: %2.")
                                  .arg(placement.layer)
                                  .arg(numberList(layers)));
        else
            setReason(reason, QStringLiteral("The layout has no shapes on layer %1, datatype %2. Datatypes with "
                                             "shapes on that layer: %3.")
                                  .arg(placement.layer)
                                  .arg(placement.datatype)
                                  .arg(numberList(datatypes)));
        return false;
    }
    const auto cellX = [&](double x) { return x * scale + placement.offsetX; };
    const auto cellY = [&](double y) { return y * scale + placement.offsetY; };
    if (sizeX <= 0 || sizeY <= 0) {
        double farX = 0, farY = 0;
        for (const GdsLayout::Polygon *polygon : polygons)
            for (size_t k = 0; k + 1 < polygon->xy.size(); k += 2) {
                farX = std::max(farX, cellX(polygon->xy[k]));
                farY = std::max(farY, cellY(polygon->xy[k + 1]));
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
    for (const GdsLayout::Polygon *polygon : polygons) {
        const size_t n = polygon->xy.size() / 2;
        xs.resize(n);
        ys.resize(n);
        double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
        bool far = false;
        for (size_t k = 0; k < n; ++k) {
            xs[k] = cellX(polygon->xy[2 * k]);
            ys[k] = cellY(polygon->xy[2 * k + 1]);
            far = far || !(std::fabs(xs[k]) <= 1.0e15 && std::fabs(ys[k]) <= 1.0e15);
            minX = std::min(minX, xs[k]);
            maxX = std::max(maxX, xs[k]);
            minY = std::min(minY, ys[k]);
            maxY = std::max(maxY, ys[k]);
        }
        // Column centres at i + 0.5: a polygon off the volume, or between centres, covers none.
        // A polygon with a vertex beyond 1e15 cells lies far off any mask; leaving it out
        // keeps the crossings finite.
        if (far)
            continue;
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
