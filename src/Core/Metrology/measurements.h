#pragma once

#include "Core/Processes/parameterset.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Metrology {

using Processes::ParameterSet;

// What a measurement gives, which decides its unit.
enum class Quantity {
    Length, // model units, or micrometres
    Angle,  // degrees
    Ratio,  // no unit
    Volume, // cubic model units, or cubic micrometres
    Count,  // cells
};

// The unit of a quantity: in model units, or in micrometres when a scale is known.
QString unitText(Quantity quantity, bool micrometres);

// One parameter of a measurement. Positions and heights are cell indices (x, y from 0 at
// the volume's lower left front corner, z from 0 at its bottom).
struct MeasureField
{
    enum class Kind {
        Material, // a catalogue name or id; "empty" (or 0) is the empty material
        Index,    // a cell index, 0 or more
        Choice,   // one of `choices`
    };
    QString key;
    Kind kind = Kind::Index;
    QString help;
    QVariant defaultValue; // invalid: the parameter must be given
    QStringList choices;
};

// The cells a measurement reads: material ids in the volume's index order, with its sizes.
struct CellGrid
{
    const std::vector<uint32_t> &ids;
    uint32_t sizeX, sizeY, sizeZ;
    double cellX, cellY, cellZ;

    // The grid of the volume whose ids (in index order) `ids` holds.
    static CellGrid of(const Model::Automaton::TotalVolume &volume, const std::vector<uint32_t> &ids);

    uint32_t at(uint32_t x, uint32_t y, uint32_t z) const
    {
        return ids[(static_cast<size_t>(x) * sizeY + y) * sizeZ + z];
    }
};

// A measurement's value, or why it could not be taken there.
struct Reading
{
    std::optional<double> value; // in model units (see Quantity)
    QString why;                 // set when there is no value

    static Reading of(double v) { return {v, QString()}; }
    static Reading none(const QString &reason) { return {std::nullopt, reason}; }
};

// One kind of measurement: its name in measurement files, its title and help, what it
// gives and its parameters, and how it is taken from the cells.
struct Measurement
{
    QString name;
    QString title;
    QString help;
    Quantity quantity = Quantity::Length;
    std::vector<MeasureField> fields;
    std::function<Reading(const CellGrid &, const ParameterSet &)> take;

    const MeasureField *field(const QString &key) const;
};

// Every measurement, each described once.
class MeasurementRegistry
{
public:
    static const MeasurementRegistry &instance();
    const std::vector<Measurement> &all() const { return measurements; }
    // nullptr when no measurement has that name.
    const Measurement *find(const QString &name) const;

private:
    MeasurementRegistry();
    std::vector<Measurement> measurements;
};

// Checks `given` (parameter name -> value as written by the user) against the
// measurement's fields and converts it: materials to ids, choices to their text, indices
// to unsigned numbers; absent parameters take their defaults. False with `error` set for
// an unknown or missing parameter or a value that cannot be one.
bool readParameters(const Measurement &measurement, const QVariantMap &given, ParameterSet *values, QString *error);

// Takes the measurement on the volume's cells (read under its voxel lock).
Reading take(const Measurement &measurement, Model::Automaton::TotalVolume &volume, const ParameterSet &values);

// The measurement's name, unit, help and parameters, as help texts show them.
QString describe(const Measurement &measurement);

// A reading in micrometres (lengths and volumes scaled; other quantities unchanged).
double inMicrometres(Quantity quantity, double value, double micrometresPerUnit);

} // namespace Metrology
} // namespace Core
