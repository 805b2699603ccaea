#include "cli/measureoutput.h"

#include "Util/savefilecommit.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QtDebug>

namespace Cli {

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString number(const std::optional<double> &value)
{
    return value ? QString::number(*value, 'g', 10) : QString();
}

} // namespace

MeasureOutput::MeasureOutput()
    : measureOption(QStringLiteral("measure"),
                    QStringLiteral("Take the measurements listed in FILE (JSON) on the final volume."),
                    QStringLiteral("FILE.json")),
      outOption(QStringLiteral("measure-out"),
                QStringLiteral("Write the measurements as one row of results: CSV, or JSON for a .json name."),
                QStringLiteral("RESULTS.csv")),
      afterOption(QStringLiteral("measure-after-step"),
                  QStringLiteral("Take the measurements after step N as well (columns NAME@N); may be repeated."),
                  QStringLiteral("N"))
{
}

void MeasureOutput::addTo(QCommandLineParser &parser) const { parser.addOptions({measureOption, outOption, afterOption}); }

bool MeasureOutput::read(const QCommandLineParser &parser, const WritableCheck &checkWritable, QString *error)
{
    const QString file = parser.value(measureOption);
    outPath = parser.value(outOption);
    if (file.isEmpty() != outPath.isEmpty()) {
        *error = QStringLiteral("--measure and --measure-out go together");
        return false;
    }
    if (file.isEmpty()) {
        if (parser.isSet(afterOption)) {
            *error = QStringLiteral("--measure-after-step needs --measure");
            return false;
        }
        return true;
    }
    QString reason;
    if (!plan.read(file, &reason)) {
        *error = QStringLiteral("cannot read the measurement file %1: %2").arg(file, reason);
        return false;
    }
    if (!checkWritable(outPath, &reason)) {
        *error = QStringLiteral("cannot write the measurement results: ") + reason;
        return false;
    }
    for (const QString &step : parser.values(afterOption)) {
        bool ok = false;
        const int n = step.toInt(&ok);
        if (!ok || n < 1) {
            *error = QStringLiteral("--measure-after-step needs a step number of 1 or more, not '%1'").arg(step);
            return false;
        }
        afterSteps.insert(n);
    }
    return true;
}

void MeasureOutput::setRun(const QString &list, const QStringList &assignments)
{
    listPath = list;
    for (const QString &a : assignments) {
        const int equals = a.indexOf(QLatin1Char('='));
        setColumns << a.left(equals);
        setValues << a.mid(equals + 1);
    }
}

void MeasureOutput::stepDone(int index, Model::Automaton::TotalVolume *volume)
{
    if (outPath.isEmpty() || !afterSteps.count(index + 1))
        return;
    const QString suffix = QStringLiteral("@%1").arg(index + 1);
    stepColumns << plan.columns(suffix);
    if (volume) {
        for (const auto &v : plan.take(*volume, [&](const QString &w) {
                 qWarning().noquote() << w + QStringLiteral(" (after step %1)").arg(index + 1);
             }))
            stepValues.push_back(v);
    } else {
        stepValues.resize(stepValues.size() + static_cast<size_t>(plan.columns().size()));
    }
}

bool MeasureOutput::write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume, const Report &report) const
{
    if (outPath.isEmpty())
        return true;
    QStringList columns = plan.columns();
    std::vector<std::optional<double>> values;
    if (volume)
        values = plan.take(*volume, [](const QString &w) { qWarning().noquote() << w; });
    else {
        qWarning("no cell volume to measure");
        values.resize(static_cast<size_t>(columns.size()));
    }
    // Steps the run did not reach leave their columns out; a table of runs lines them up
    // by name.
    columns << stepColumns;
    values.insert(values.end(), stepValues.begin(), stepValues.end());

    QByteArray text;
    if (QFileInfo(outPath).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0) {
        QJsonObject parameters, measured;
        for (int i = 0; i < setColumns.size(); ++i)
            parameters.insert(setColumns[i], setValues[i]);
        for (int i = 0; i < columns.size(); ++i)
            measured.insert(columns[i], values[static_cast<size_t>(i)] ? QJsonValue(*values[static_cast<size_t>(i)])
                                                                      : QJsonValue(QJsonValue::Null));
        QJsonObject row{{QStringLiteral("list"), listPath},
                        {QStringLiteral("parameters"), parameters},
                        {QStringLiteral("measurements"), measured}};
        text = QJsonDocument(row).toJson();
    } else {
        QStringList header{QStringLiteral("list")}, row{csvField(listPath)};
        for (int i = 0; i < setColumns.size(); ++i) {
            header << csvField(setColumns[i]);
            row << csvField(setValues[i]);
        }
        for (int i = 0; i < columns.size(); ++i) {
            header << csvField(columns[i]);
            row << number(values[static_cast<size_t>(i)]);
        }
        text = (header.join(QLatin1Char(',')) + QLatin1Char('\n') + row.join(QLatin1Char(',')) + QLatin1Char('\n'))
                   .toUtf8();
    }
    QSaveFile file(outPath);
    QString error;
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !Util::flushAndCommit(file, &error)) {
        report(QStringLiteral("cannot write the measurement results %1: %2")
                   .arg(outPath, error.isEmpty() ? file.errorString() : error));
        return false;
    }
    return true;
}

} // namespace Cli
