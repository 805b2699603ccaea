#pragma once

#include "Core/Metrology/measurements.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace Core {
namespace Metrology {

// One named measurement of a measurement file.
struct MeasurementRequest
{
    QString label; // the column it fills
    const Measurement *measurement = nullptr;
    ParameterSet values;
};

// What a measurement file asks for:
//
//   {"micrometres_per_unit": 0.01,
//    "measurements": [{"name": "gap", "type": "critical_dimension", "material": "empty",
//                      "axis": "x", "position": 20, "at": 32, "z": 30}, ...]}
//
// ("micrometres_per_unit" is optional; a bare list of measurements is read as well).
struct MeasurementPlan
{
    std::vector<MeasurementRequest> requests;
    double micrometresPerUnit = 0.0; // 0: no scale, values in model units only

    // Reads and checks the file; false with `error` set (naming the measurement at fault).
    bool read(const QString &path, QString *error);
    bool parse(const QByteArray &json, QString *error);

    // The columns every run fills, in order: each label, then "<label>_um" for a length
    // or volume when a scale is known; `suffix` is appended to each.
    QStringList columns(const QString &suffix = QString()) const;
    // Takes every measurement on the volume, one value per column (nothing where a
    // measurement could not be taken, which `warn` is told with the reason).
    std::vector<std::optional<double>> take(Model::Automaton::TotalVolume &volume,
                                            const std::function<void(const QString &)> &warn) const;
};

} // namespace Metrology
} // namespace Core
