#include "Core/Metrology/measurements.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Core {
namespace Metrology {

namespace {

using Kind = MeasureField::Kind;

constexpr double degreesPerRadian = 57.29577951308232;

MeasureField material(const char *help)
{
    return {QStringLiteral("material"), Kind::Material, QString::fromLatin1(help), QVariant(), {}};
}

MeasureField index(const char *key, const char *help, QVariant defaultValue = QVariant())
{
    return {QString::fromLatin1(key), Kind::Index, QString::fromLatin1(help), defaultValue, {}};
}

MeasureField choice(const char *key, const char *help, const QStringList &choices, const QString &defaultValue)
{
    return {QString::fromLatin1(key), Kind::Choice, QString::fromLatin1(help), defaultValue, choices};
}

const QStringList horizontal = {QStringLiteral("x"), QStringLiteral("y")};

// A line of cells parallel to an axis through a cell, walked from its first cell: the
// top for a vertical line, the lowest coordinate for a horizontal one.
struct Line
{
    const CellGrid &grid;
    char axis; // 'x', 'y' or 'z'
    uint32_t x, y, z;

    uint32_t length() const { return axis == 'x' ? grid.sizeX : axis == 'y' ? grid.sizeY : grid.sizeZ; }
    double cell() const { return axis == 'x' ? grid.cellX : axis == 'y' ? grid.cellY : grid.cellZ; }
    // The material of the i-th cell of the walk.
    uint32_t operator[](uint32_t i) const
    {
        switch (axis) {
        case 'x':
            return grid.at(i, y, z);
        case 'y':
            return grid.at(x, i, z);
        default:
            return grid.at(x, y, grid.sizeZ - 1 - i);
        }
    }
    // The run of cells of `id` holding walk position i: [begin, end).
    std::pair<uint32_t, uint32_t> runAt(uint32_t i, uint32_t id) const
    {
        uint32_t begin = i;
        uint32_t end = i;
        while (begin > 0 && (*this)[begin - 1] == id)
            --begin;
        while (end < length() && (*this)[end] == id)
            ++end;
        return {begin, end};
    }
};

bool inside(const CellGrid &g, uint32_t x, uint32_t y, uint32_t z) { return x < g.sizeX && y < g.sizeY && z < g.sizeZ; }

QString outside(uint32_t x, uint32_t y, uint32_t z)
{
    return QStringLiteral("the cell (%1, %2, %3) lies outside the volume").arg(x).arg(y).arg(z);
}

QString materialName(uint32_t id)
{
    return id == 0 ? QStringLiteral("empty space") : Model::Materials::MaterialFactory::instance()->getMaterial(id).name;
}

// Length of the first run of `id` met along the line.
Reading firstRun(const Line &line, uint32_t id)
{
    for (uint32_t i = 0; i < line.length(); ++i)
        if (line[i] == id) {
            const auto run = line.runAt(i, id);
            return Reading::of((run.second - run.first) * line.cell());
        }
    return Reading::none(QStringLiteral("no %1 on the %2 line through (%3, %4, %5)")
                             .arg(materialName(id))
                             .arg(QChar::fromLatin1(line.axis))
                             .arg(line.x)
                             .arg(line.y)
                             .arg(line.z));
}

Line lineThrough(const CellGrid &g, const QString &axis, uint32_t x, uint32_t y, uint32_t z)
{
    return Line{g, axis.at(0).toLatin1(), x, y, z};
}

Reading thickness(const CellGrid &g, const ParameterSet &v)
{
    const uint32_t x = v.count(QStringLiteral("x")), y = v.count(QStringLiteral("y")), z = v.count(QStringLiteral("z"));
    const QString axis = v.text(QStringLiteral("axis"));
    // The coordinate along the line is not used.
    if (!inside(g, axis == QLatin1String("x") ? 0 : x, axis == QLatin1String("y") ? 0 : y,
                axis == QLatin1String("z") ? 0 : z))
        return Reading::none(outside(x, y, z));
    return firstRun(lineThrough(g, axis, x, y, z), v.material(QStringLiteral("material")));
}

// The boxes of columns a region measurement reads, clamped to the volume.
bool region(const CellGrid &g, const ParameterSet &v, uint32_t *x0, uint32_t *x1, uint32_t *y0, uint32_t *y1,
            QString *why)
{
    *x0 = v.count(QStringLiteral("x0"));
    *y0 = v.count(QStringLiteral("y0"));
    *x1 = std::min(v.count(QStringLiteral("x1")), g.sizeX - 1);
    *y1 = std::min(v.count(QStringLiteral("y1")), g.sizeY - 1);
    if (*x0 > *x1 || *y0 > *y1) {
        *why = QStringLiteral("the region of columns x %1 to %2, y %3 to %4 holds no column of the volume")
                   .arg(*x0)
                   .arg(v.count(QStringLiteral("x1")))
                   .arg(*y0)
                   .arg(v.count(QStringLiteral("y1")));
        return false;
    }
    return true;
}

Reading regionThickness(const CellGrid &g, const ParameterSet &v)
{
    uint32_t x0, x1, y0, y1;
    QString why;
    if (!region(g, v, &x0, &x1, &y0, &y1, &why))
        return Reading::none(why);
    const uint32_t id = v.material(QStringLiteral("material"));
    const QString statistic = v.text(QStringLiteral("statistic"));
    double low = std::numeric_limits<double>::infinity(), high = 0.0, sum = 0.0;
    size_t columns = 0;
    for (uint32_t x = x0; x <= x1; ++x)
        for (uint32_t y = y0; y <= y1; ++y) {
            const Reading r = firstRun(Line{g, 'z', x, y, 0}, id);
            if (!r.value)
                continue;
            low = std::min(low, *r.value);
            high = std::max(high, *r.value);
            sum += *r.value;
            ++columns;
        }
    if (columns == 0)
        return Reading::none(QStringLiteral("no column of the region holds %1").arg(materialName(id)));
    if (statistic == QLatin1String("min"))
        return Reading::of(low);
    if (statistic == QLatin1String("max"))
        return Reading::of(high);
    return Reading::of(sum / static_cast<double>(columns));
}

Reading etchDepth(const CellGrid &g, const ParameterSet &v)
{
    uint32_t x0, x1, y0, y1;
    QString why;
    if (!region(g, v, &x0, &x1, &y0, &y1, &why))
        return Reading::none(why);
    const uint32_t reference = std::min(v.count(QStringLiteral("reference")), g.sizeZ);
    uint32_t lowest = reference;
    for (uint32_t x = x0; x <= x1; ++x)
        for (uint32_t y = y0; y <= y1; ++y)
            for (uint32_t z = 0; z < lowest; ++z)
                if (g.at(x, y, z) == 0) {
                    lowest = z;
                    break;
                }
    if (lowest == reference)
        return Reading::none(QStringLiteral("no empty cell below height %1 in the region").arg(reference));
    return Reading::of((reference - lowest) * g.cellZ);
}

// The cell a horizontal measurement starts from: `at` along the axis, `position` across.
Line horizontalLine(const CellGrid &g, const ParameterSet &v, uint32_t *at, QString *why)
{
    const QString axis = v.text(QStringLiteral("axis"));
    *at = v.count(QStringLiteral("at"));
    const uint32_t across = v.count(QStringLiteral("position"));
    const uint32_t z = v.count(QStringLiteral("z"));
    const uint32_t x = axis == QLatin1String("x") ? *at : across;
    const uint32_t y = axis == QLatin1String("x") ? across : *at;
    if (!inside(g, x, y, z))
        *why = outside(x, y, z);
    return lineThrough(g, axis, x, y, z);
}

Reading criticalDimension(const CellGrid &g, const ParameterSet &v)
{
    uint32_t at;
    QString why;
    const Line line = horizontalLine(g, v, &at, &why);
    if (!why.isEmpty())
        return Reading::none(why);
    const uint32_t id = v.material(QStringLiteral("material"));
    if (line[at] != id)
        return Reading::none(QStringLiteral("the cell (%1, %2, %3) holds %4, not %5")
                                 .arg(line.axis == 'x' ? at : line.x)
                                 .arg(line.axis == 'y' ? at : line.y)
                                 .arg(line.z)
                                 .arg(materialName(line[at]), materialName(id)));
    const auto run = line.runAt(at, id);
    return Reading::of((run.second - run.first) * line.cell());
}

// The distance from the middle of cell `at` to the first filled cell towards `side`, in
// model units; nothing when the line is empty to the volume's edge.
std::optional<double> wallDistance(const Line &line, uint32_t at, bool high)
{
    uint32_t i = at;
    if (high) {
        while (i < line.length() && line[i] == 0)
            ++i;
        if (i == line.length())
            return std::nullopt;
        return (i - at - 0.5) * line.cell();
    }
    while (i > 0 && line[i] == 0)
        --i;
    if (line[i] == 0)
        return std::nullopt;
    return (at - i - 0.5) * line.cell();
}

Reading sidewallAngle(const CellGrid &g, const ParameterSet &v)
{
    const uint32_t z0 = v.count(QStringLiteral("z0"));
    const uint32_t z1 = std::min(v.count(QStringLiteral("z1")), g.sizeZ - 1);
    const bool high = v.text(QStringLiteral("side")) == QLatin1String("high");
    // Least-squares fit of the wall's distance from the opening's middle against height.
    double sz = 0.0, sw = 0.0, szz = 0.0, szw = 0.0;
    int n = 0;
    for (uint32_t z = z0; z <= z1; ++z) {
        ParameterSet at = v;
        at.set(QStringLiteral("z"), z);
        uint32_t a;
        QString why;
        const Line line = horizontalLine(g, at, &a, &why);
        if (!why.isEmpty())
            return Reading::none(why);
        if (line[a] != 0)
            continue;
        const std::optional<double> w = wallDistance(line, a, high);
        if (!w)
            continue;
        const double h = (z + 0.5) * g.cellZ;
        sz += h;
        sw += *w;
        szz += h * h;
        szw += h * *w;
        ++n;
    }
    const double spread = n * szz - sz * sz;
    if (n < 2 || spread <= 0.0)
        return Reading::none(QStringLiteral("fewer than two heights from %1 to %2 show a wall from an empty cell")
                                 .arg(z0)
                                 .arg(v.count(QStringLiteral("z1"))));
    // The opening widens by `slope` per unit of height: 0 for an upright wall (90
    // degrees), positive for a tapered one, negative for an overhanging one.
    const double slope = (n * szw - sz * sw) / spread;
    return Reading::of(std::atan2(1.0, slope) * degreesPerRadian);
}

Reading stepCoverage(const CellGrid &g, const ParameterSet &v)
{
    const uint32_t id = v.material(QStringLiteral("material"));
    const QString axis = v.text(QStringLiteral("axis"));
    const uint32_t across = v.count(QStringLiteral("position"));
    const uint32_t wallZ = v.count(QStringLiteral("wall_z"));
    const uint32_t top = v.count(QStringLiteral("top_at"));
    const uint32_t x = axis == QLatin1String("x") ? top : across;
    const uint32_t y = axis == QLatin1String("x") ? across : top;
    if (!inside(g, x, y, wallZ))
        return Reading::none(outside(x, y, wallZ));
    const Reading wall = firstRun(lineThrough(g, axis, x, y, wallZ), id);
    const Reading onTop = firstRun(Line{g, 'z', x, y, 0}, id);
    if (!wall.value)
        return wall;
    if (!onTop.value)
        return onTop;
    return Reading::of(*wall.value / *onTop.value);
}

size_t cellsOf(const CellGrid &g, uint32_t id) { return static_cast<size_t>(std::count(g.ids.begin(), g.ids.end(), id)); }

Reading materialVolume(const CellGrid &g, const ParameterSet &v)
{
    return Reading::of(static_cast<double>(cellsOf(g, v.material(QStringLiteral("material")))) * g.cellX * g.cellY *
                       g.cellZ);
}

Reading cellCount(const CellGrid &g, const ParameterSet &v)
{
    return Reading::of(static_cast<double>(cellsOf(g, v.material(QStringLiteral("material")))));
}

Reading junctionDepth(const CellGrid &g, const ParameterSet &v)
{
    const uint32_t x = v.count(QStringLiteral("x")), y = v.count(QStringLiteral("y"));
    if (!inside(g, x, y, 0))
        return Reading::none(outside(x, y, 0));
    const uint32_t id = v.material(QStringLiteral("material"));
    // From the top of the column's highest filled cell to the bottom of its lowest doped one.
    uint32_t surface = g.sizeZ;
    while (surface > 0 && g.at(x, y, surface - 1) == 0)
        --surface;
    for (uint32_t z = 0; z < surface; ++z)
        if (g.at(x, y, z) == id)
            return Reading::of((surface - z) * g.cellZ);
    return Reading::none(QStringLiteral("the column (%1, %2) holds no %3").arg(x).arg(y).arg(materialName(id)));
}

const char *const lineHelp = "The line passes through this cell; its coordinate along the line is not used.";

std::vector<MeasureField> regionFields()
{
    constexpr uint32_t all = std::numeric_limits<uint32_t>::max();
    return {index("x0", "First column of the region along x.", 0u), index("x1", "Last column along x.", all),
            index("y0", "First column along y.", 0u), index("y1", "Last column along y.", all)};
}

std::vector<MeasureField> horizontalFields(const char *atHelp)
{
    return {choice("axis", "The horizontal axis the line runs along.", horizontal, QStringLiteral("x")),
            index("position", "The line's cell index across the axis (y for a line along x, x for one along y)."),
            index("at", atHelp)};
}

template <class... Lists>
std::vector<MeasureField> join(std::vector<MeasureField> first, const Lists &...rest)
{
    (first.insert(first.end(), rest.begin(), rest.end()), ...);
    return first;
}

} // namespace

QString unitText(Quantity quantity, bool micrometres)
{
    switch (quantity) {
    case Quantity::Length:
        return micrometres ? QStringLiteral("um") : QStringLiteral("units");
    case Quantity::Angle:
        return QStringLiteral("degrees");
    case Quantity::Ratio:
        return QString();
    case Quantity::Volume:
        return micrometres ? QStringLiteral("um3") : QStringLiteral("units3");
    case Quantity::Count:
        return QStringLiteral("cells");
    }
    return QString();
}

double inMicrometres(Quantity quantity, double value, double micrometresPerUnit)
{
    if (quantity == Quantity::Length)
        return value * micrometresPerUnit;
    if (quantity == Quantity::Volume)
        return value * micrometresPerUnit * micrometresPerUnit * micrometresPerUnit;
    return value;
}

QString describe(const Measurement &m)
{
    const QString unit = unitText(m.quantity, false);
    QString text = QStringLiteral("%1: %2%3\n  %4\n")
                       .arg(m.name, m.title, unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(unit), m.help);
    for (const MeasureField &f : m.fields) {
        QString line = QStringLiteral("    %1: %2").arg(f.key, f.help);
        if (!f.choices.isEmpty())
            line += QStringLiteral(" One of %1.").arg(f.choices.join(QStringLiteral(", ")));
        if (!f.defaultValue.isValid())
            line += QStringLiteral(" Required.");
        else if (f.kind != Kind::Index || f.defaultValue.toUInt() != std::numeric_limits<uint32_t>::max())
            line += QStringLiteral(" Default: %1.").arg(f.defaultValue.toString());
        text += line + QLatin1Char('\n');
    }
    return text;
}

const MeasureField *Measurement::field(const QString &key) const
{
    for (const MeasureField &f : fields)
        if (f.key == key)
            return &f;
    return nullptr;
}

const MeasurementRegistry &MeasurementRegistry::instance()
{
    static const MeasurementRegistry registry;
    return registry;
}

const Measurement *MeasurementRegistry::find(const QString &name) const
{
    for (const Measurement &m : measurements)
        if (m.name == name)
            return &m;
    return nullptr;
}

MeasurementRegistry::MeasurementRegistry()
{
    const QStringList axes = {QStringLiteral("z"), QStringLiteral("x"), QStringLiteral("y")};
    const QStringList statistics = {QStringLiteral("mean"), QStringLiteral("min"), QStringLiteral("max")};
    const QStringList sides = {QStringLiteral("low"), QStringLiteral("high")};
    measurements = {
        {QStringLiteral("thickness"), QStringLiteral("Film thickness"),
         QStringLiteral("The length of the first run of the material along a line: down from the top for a "
                        "vertical line, from the lowest coordinate for a horizontal one."),
         Quantity::Length,
         {material("The film's material."),
          choice("axis", "The line's direction: z (vertical) or x, y (horizontal).", axes, QStringLiteral("z")),
          index("x", lineHelp, 0u), index("y", lineHelp, 0u), index("z", lineHelp, 0u)},
         &thickness},
        {QStringLiteral("region_thickness"), QStringLiteral("Film thickness over a region"),
         QStringLiteral("The vertical thickness of the first run of the material down from the top of each "
                        "column of the region, its minimum, mean or maximum over the columns that hold it."),
         Quantity::Length,
         join({material("The film's material.")}, regionFields(),
              std::vector<MeasureField>{choice("statistic", "What is taken over the columns.", statistics,
                                               QStringLiteral("mean"))}),
         &regionThickness},
        {QStringLiteral("etch_depth"), QStringLiteral("Etch depth"),
         QStringLiteral("From the reference height down to the bottom of the lowest empty cell below it in the "
                        "region."),
         Quantity::Length,
         join({index("reference", "The reference height (a cell boundary, counted from the bottom).")},
              regionFields()),
         &etchDepth},
        {QStringLiteral("critical_dimension"), QStringLiteral("Critical dimension"),
         QStringLiteral("The width of the run of the material (or of empty cells: material \"empty\") along a "
                        "horizontal line through a cell of it."),
         Quantity::Length,
         join({material("The material whose width is measured; \"empty\" for a gap.")},
              horizontalFields("A cell of the run measured, along the axis."),
              std::vector<MeasureField>{index("z", "The line's height.")}),
         &criticalDimension},
        {QStringLiteral("sidewall_angle"), QStringLiteral("Sidewall angle"),
         QStringLiteral("The angle of an opening's wall against the horizontal, fitted to the wall's position at "
                        "every height from z0 to z1: 90 degrees upright, less when the opening narrows "
                        "downwards, more when it overhangs."),
         Quantity::Angle,
         join(horizontalFields("An empty cell inside the opening, along the axis; the wall is the first filled "
                               "cell from it towards the side."),
              std::vector<MeasureField>{choice("side", "Which wall: towards lower or higher coordinates.", sides,
                                               QStringLiteral("low")),
                                        index("z0", "The lowest height fitted."),
                                        index("z1", "The highest height fitted.")}),
         &sidewallAngle},
        {QStringLiteral("step_coverage"), QStringLiteral("Step coverage"),
         QStringLiteral("The film's thickness on a side wall (the first run along a horizontal line at wall_z) "
                        "divided by its thickness on top (the first run down the column at top_at)."),
         Quantity::Ratio,
         {material("The film's material."),
          choice("axis", "The horizontal axis across the step.", horizontal, QStringLiteral("x")),
          index("position", "The lines' cell index across the axis."),
          index("wall_z", "The height of the side-wall line."),
          index("top_at", "The column on top of the step, along the axis.")},
         &stepCoverage},
        {QStringLiteral("material_volume"), QStringLiteral("Material volume"),
         QStringLiteral("The volume of every cell of the material."), Quantity::Volume,
         {material("The material.")}, &materialVolume},
        {QStringLiteral("cell_count"), QStringLiteral("Cell count"),
         QStringLiteral("The number of cells of the material."), Quantity::Count, {material("The material.")},
         &cellCount},
        {QStringLiteral("junction_depth"), QStringLiteral("Junction depth"),
         QStringLiteral("From the top of a column's highest filled cell to the bottom of its lowest cell of the "
                        "doped material."),
         Quantity::Length,
         {material("The doped material."), index("x", "The column's x."), index("y", "The column's y.")},
         &junctionDepth},
    };
}

bool readParameters(const Measurement &measurement, const QVariantMap &given, ParameterSet *values, QString *error)
{
    for (auto it = given.cbegin(); it != given.cend(); ++it)
        if (!measurement.field(it.key())) {
            QStringList known;
            for (const MeasureField &f : measurement.fields)
                known << f.key;
            *error = QStringLiteral("%1 has no parameter '%2' (it has: %3)")
                         .arg(measurement.name, it.key(), known.join(QStringLiteral(", ")));
            return false;
        }
    for (const MeasureField &f : measurement.fields) {
        const QVariant value = given.contains(f.key) ? given.value(f.key) : f.defaultValue;
        if (!value.isValid()) {
            *error = QStringLiteral("%1 needs the parameter '%2'").arg(measurement.name, f.key);
            return false;
        }
        const QString text = value.toString().trimmed();
        bool ok = false;
        switch (f.kind) {
        case Kind::Material: {
            const uint32_t id = text.toUInt(&ok);
            if (ok && (id == 0 || Model::Materials::MaterialFactory::instance()->getMaterial(id).id == id)) {
                values->set(f.key, id);
                break;
            }
            if (text.compare(QLatin1String("empty"), Qt::CaseInsensitive) == 0) {
                values->set(f.key, 0u);
                break;
            }
            const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterialByName(text);
            if (m.id == 0) {
                *error = QStringLiteral("%1: '%2' is no material of the catalogue").arg(measurement.name, text);
                return false;
            }
            values->set(f.key, m.id);
            break;
        }
        case Kind::Index: {
            const double number = value.toDouble(&ok);
            if (!ok || !(number >= 0.0) || number != std::floor(number) || number > 4294967295.0) {
                *error = QStringLiteral("%1: '%2' must be a cell index (a whole number of 0 or more), not '%3'")
                             .arg(measurement.name, f.key, text);
                return false;
            }
            values->set(f.key, static_cast<uint32_t>(number));
            break;
        }
        case Kind::Choice:
            if (!f.choices.contains(text)) {
                *error = QStringLiteral("%1: '%2' must be one of %3, not '%4'")
                             .arg(measurement.name, f.key, f.choices.join(QStringLiteral(", ")), text);
                return false;
            }
            values->set(f.key, text);
            break;
        }
    }
    return true;
}

CellGrid CellGrid::of(const Model::Automaton::TotalVolume &volume, const std::vector<uint32_t> &ids)
{
    return {ids,
            volume.getSizeX(),
            volume.getSizeY(),
            volume.getSizeZ(),
            volume.getCellSizeX(),
            volume.getCellSizeY(),
            volume.getCellSizeZ()};
}

Reading take(const Measurement &measurement, Model::Automaton::TotalVolume &volume, const ParameterSet &values)
{
    const std::vector<uint32_t> ids = volume.materialIds();
    return measurement.take(CellGrid::of(volume, ids), values);
}

} // namespace Metrology
} // namespace Core
