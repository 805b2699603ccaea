#include "Core/BatchRun/processdata.h"

#include "Core/Processes/processregistry.h"

#include <QtDebug>

namespace Core {
namespace BatchRun {

std::atomic<int32_t> ProcessData::idCounter{0};

namespace {

// The look-up failure as the list editor's map reports it.
void logMissingKey(const QString &name)
{
    qDebug().noquote() << "invalid map<K, T> key" << name;
}

} // namespace

ProcessData::ProcessData(int32_t processType) : id(idCounter++), processType(processType) {}

ProcessData::ProcessData(int32_t processType, QMap<QString, QVariant> parameters,
                         QMap<QString, bool> visibility, bool expanded)
    : id(idCounter++), processType(processType), parameters(std::move(parameters)),
      visibility(std::move(visibility)), expanded(expanded)
{
}

QVariant ProcessData::getProcessParameter(const QString &name) const
{
    const auto it = parameters.constFind(name);
    if (it == parameters.cend()) {
        logMissingKey(name);
        return QVariant();
    }
    return it.value();
}

bool ProcessData::getParameterVisibility(const QString &name) const
{
    const auto it = visibility.constFind(name);
    if (it == visibility.cend()) {
        logMissingKey(name);
        return false;
    }
    return it.value();
}

void ProcessData::setParameter(const QString &name, const QVariant &value, bool visible)
{
    parameters.insert(name, value);
    visibility.insert(name, visible);
}

bool ProcessData::renameParameter(const QString &from, const QString &to)
{
    if (!parameters.contains(from))
        return false;
    const QVariant value = parameters.take(from);
    const bool visible = visibility.contains(from) ? visibility.take(from) : true;
    setParameter(to, value, visible);
    return true;
}

QString ProcessData::processName(int32_t processType)
{
    const Processes::ProcessDescriptor *process = Processes::ProcessRegistry::instance().byBatchType(processType);
    return process ? process->listName : QStringLiteral("Unknown process");
}

bool ProcessData::isKnownType(int32_t processType)
{
    return Processes::ProcessRegistry::instance().byBatchType(processType) != nullptr;
}

} // namespace BatchRun
} // namespace Core
