#include "Core/BatchRun/saveimagestep.h"

#include "Core/BatchRun/stepparameters.h"

#include <QtDebug>

namespace Ui {

int32_t runSaveImageStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const QString fileName = read.toString(QStringLiteral("Filename"));
    if (read.result() != 0)
        return read.result();
    if (environment.saveImage && !environment.saveImage(fileName))
        qWarning().noquote() << "Save Image: could not write" << fileName;
    return 0;
}

} // namespace Ui
