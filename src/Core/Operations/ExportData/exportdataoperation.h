#pragma once

#include "Core/Operations/processoperation.h"

#include <QString>
#include <QStringList>

namespace Core {
namespace Operations {

// "Export Data" (37): writes one particle-count field of the chosen cell volume to a
// text table (see CSVDataExporter). Changes no cells and does not enter the history.
class ExportDataOperation : public ProcessOperation
{
public:
    explicit ExportDataOperation(OperationContext &context);

    void end() override;

    void setFileName(const QString &name) { fileName = name; }
    void setDataName(const QString &name) { dataName = name; }
    QString getFileName() const { return fileName; }
    QString getDataName() const { return dataName; }

    // The fields the chosen volume holds counts for (empty before a volume is chosen).
    QStringList dataNames() const;

protected:
    bool parametersComplete() const override { return !fileName.isEmpty() && !dataName.isEmpty(); }
    void process() override {}
    std::string loneVolumeMessage() const override { return ": Using only cell volume."; }

private:
    QString fileName;
    QString dataName;
};

} // namespace Operations
} // namespace Core
