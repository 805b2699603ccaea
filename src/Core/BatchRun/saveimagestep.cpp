#include "Core/BatchRun/saveimagestep.h"

#include "Core/BatchRun/processlistrunner.h"
#include "Core/BatchRun/stepparameters.h"

namespace Core {
namespace BatchRun {

int32_t runSaveImageStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const QString fileName = read.toString(QStringLiteral("Filename"));
    if (read.result() != 0)
        return read.result();
    if (StepParameters::checkOnly())
        return 0;
    // The saver has said why; the picture the list asked for is missing, so the step failed.
    if (environment.saveImage && !environment.saveImage(fileName))
        return ProcessListRunner::OutputFailed;
    return 0;
}

} // namespace BatchRun
} // namespace Core
