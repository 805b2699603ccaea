#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <atomic>
#include <cstdint>
#include <vector>

namespace Core {
namespace BatchRun {

// A mask bitmap carried as a step parameter: one byte per bit, non-zero = set.
using MaskBitmap = std::vector<unsigned char>;

// One step of a process list: a process type with its named parameters, whether each
// parameter is shown in the list editor, and whether the step's tree item is expanded.
class ProcessData
{
public:
    // A new step takes the next serial id of the process-wide counter.
    explicit ProcessData(int32_t processType = -1);
    ProcessData(int32_t processType, QMap<QString, QVariant> parameters,
                QMap<QString, bool> visibility, bool expanded);

    int32_t getId() const { return id; }
    int32_t getProcessType() const { return processType; }
    QString getProcessName() const { return processName(processType); }

    // An invalid QVariant when the name is absent (the failed look-up is logged).
    QVariant getProcessParameter(const QString &name) const;
    // False when the name is absent (logged the same way).
    bool getParameterVisibility(const QString &name) const;
    bool hasParameter(const QString &name) const { return parameters.contains(name); }
    // Inserts or replaces both the value and its visibility.
    void setParameter(const QString &name, const QVariant &value, bool visible);
    // Replaces every parameter and visibility flag; the step keeps its id.
    void setParameters(QMap<QString, QVariant> values, QMap<QString, bool> flags)
    {
        parameters = std::move(values);
        visibility = std::move(flags);
    }
    // Moves a parameter (value and visibility) to another name; false when absent.
    bool renameParameter(const QString &from, const QString &to);

    const QMap<QString, QVariant> &getParameters() const { return parameters; }
    const QMap<QString, bool> &getVisibility() const { return visibility; }
    bool isExpanded() const { return expanded; }
    void setExpanded(bool e) { expanded = e; }

    // The name lists give the process of the type ("Photolithography", ...), else
    // "Unknown process".
    static QString processName(int32_t processType);
    // Whether a process has steps of the type.
    static bool isKnownType(int32_t processType);

private:
    int32_t id;
    int32_t processType;
    QMap<QString, QVariant> parameters;
    QMap<QString, bool> visibility;
    bool expanded = false;

    static std::atomic<int32_t> idCounter;
};

using ProcessList = std::vector<ProcessData>;

} // namespace BatchRun
} // namespace Core

Q_DECLARE_METATYPE(Core::BatchRun::MaskBitmap)
