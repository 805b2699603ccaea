#include "Core/Metrology/measurementplan.h"

#include "Model/Automaton/totalvolume.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>

namespace Core {
namespace Metrology {

namespace {

constexpr qint64 largestFile = 16 * 1024 * 1024;

bool scaled(const Measurement &m) { return m.quantity == Quantity::Length || m.quantity == Quantity::Volume; }

} // namespace

bool MeasurementPlan::read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.size() > largestFile) {
        *error = QStringLiteral("the file is larger than 16 MiB; a measurement file is a short JSON text");
        return false;
    }
    return parse(file.readAll(), error);
}

bool MeasurementPlan::parse(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull()) {
        *error = QStringLiteral("not JSON: %1 at character %2").arg(parseError.errorString()).arg(parseError.offset);
        return false;
    }
    QJsonArray list;
    MeasurementPlan plan;
    if (document.isArray()) {
        list = document.array();
    } else {
        const QJsonObject top = document.object();
        for (const QString &key : top.keys())
            if (key != QLatin1String("measurements") && key != QLatin1String("micrometres_per_unit")) {
                *error = QStringLiteral("unknown entry '%1' (a measurement file holds \"measurements\" and "
                                        "\"micrometres_per_unit\")")
                             .arg(key);
                return false;
            }
        if (!top.value(QLatin1String("measurements")).isArray()) {
            *error = QStringLiteral("\"measurements\" must be a list of measurements");
            return false;
        }
        list = top.value(QLatin1String("measurements")).toArray();
        if (top.contains(QLatin1String("micrometres_per_unit"))) {
            plan.micrometresPerUnit = top.value(QLatin1String("micrometres_per_unit")).toDouble(-1.0);
            if (!(plan.micrometresPerUnit > 0.0) || !std::isfinite(plan.micrometresPerUnit)) {
                *error = QStringLiteral("\"micrometres_per_unit\" must be a positive number");
                return false;
            }
        }
    }
    QSet<QString> labels;
    for (int i = 0; i < list.size(); ++i) {
        const QString where = QStringLiteral("measurement %1: ").arg(i + 1);
        if (!list.at(i).isObject()) {
            *error = where + QStringLiteral("must be an object with \"name\", \"type\" and its parameters");
            return false;
        }
        QVariantMap entry = list.at(i).toObject().toVariantMap();
        MeasurementRequest request;
        request.label = entry.take(QStringLiteral("name")).toString().trimmed();
        const QString type = entry.take(QStringLiteral("type")).toString();
        if (request.label.isEmpty() || request.label.contains(QLatin1Char(',')) ||
            request.label.contains(QLatin1Char('"'))) {
            *error = where + QStringLiteral("needs a \"name\" without commas or quotes (it names the column)");
            return false;
        }
        if (labels.contains(request.label)) {
            *error = where + QStringLiteral("the name '%1' is used twice").arg(request.label);
            return false;
        }
        labels.insert(request.label);
        request.measurement = MeasurementRegistry::instance().find(type);
        if (!request.measurement) {
            QStringList known;
            for (const Measurement &m : MeasurementRegistry::instance().all())
                known << m.name;
            *error = where + QStringLiteral("unknown type '%1' (known: %2)").arg(type, known.join(QStringLiteral(", ")));
            return false;
        }
        QString why;
        if (!readParameters(*request.measurement, entry, &request.values, &why)) {
            *error = where + why;
            return false;
        }
        plan.requests.push_back(request);
    }
    *this = plan;
    return true;
}

QStringList MeasurementPlan::columns(const QString &suffix) const
{
    QStringList names;
    for (const MeasurementRequest &r : requests) {
        names << r.label + suffix;
        if (micrometresPerUnit > 0.0 && scaled(*r.measurement))
            names << r.label + QStringLiteral("_um") + suffix;
    }
    return names;
}

std::vector<std::optional<double>> MeasurementPlan::take(Model::Automaton::TotalVolume &volume,
                                                         const std::function<void(const QString &)> &warn) const
{
    // The cells are read once for every measurement of the row.
    const std::vector<uint32_t> ids = volume.materialIds();
    const CellGrid grid = CellGrid::of(volume, ids);
    std::vector<std::optional<double>> row;
    for (const MeasurementRequest &r : requests) {
        const Reading reading = r.measurement->take(grid, r.values);
        if (!reading.value)
            warn(QStringLiteral("measurement %1 not taken: %2").arg(r.label, reading.why));
        row.push_back(reading.value);
        if (micrometresPerUnit > 0.0 && scaled(*r.measurement))
            row.push_back(reading.value ? std::optional<double>(inMicrometres(r.measurement->quantity, *reading.value,
                                                                              micrometresPerUnit))
                                        : std::nullopt);
    }
    return row;
}

} // namespace Metrology
} // namespace Core
