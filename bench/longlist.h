#pragma once

// The long process list of the long-run benchmarks: every step type of
// examples/allsteps.plst, over and over, on a 256 x 256 x 128 volume.

#include "Core/BatchRun/processlistfile.h"

#include <cstdio>

namespace BenchLongList {

// The long list: the example's substrate step on the big volume, then its other steps in
// turn; every 25th step saves an image so that the renderer takes part.
inline Core::BatchRun::ProcessList longList(const QString &example, int steps, const QString &imageFolder)
{
    Core::BatchRun::ProcessList source;
    QString error;
    if (!Core::BatchRun::ProcessListFile::load(example, source, nullptr, &error)) {
        std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(example), qPrintable(error));
        return {};
    }
    Core::BatchRun::ProcessList cycle;
    Core::BatchRun::ProcessList list;
    for (Core::BatchRun::ProcessData step : source) {
        if (step.getProcessType() == 11) {
            const auto size = [&](const char *name, uint32_t value) {
                step.setParameter(QString::fromLatin1(name), value, true);
            };
            size("Volume Size X", 256);
            size("Volume Size Y", 256);
            size("Volume Size Z", 128);
            size("Substrate Size X", 256);
            size("Substrate Size Y", 256);
            size("Substrate Size Z", 40);
            list.push_back(step);
        } else if (step.getProcessType() != 10) {
            cycle.push_back(step);
        }
    }
    for (size_t i = 0; static_cast<int>(list.size()) < steps; ++i) {
        if (list.size() % 25 == 24) {
            Core::BatchRun::ProcessData image(10);
            image.setParameter(QStringLiteral("Filename"),
                               imageFolder + QStringLiteral("/step-%1.png").arg(list.size() + 1), true);
            list.push_back(image);
        } else {
            list.push_back(cycle[i % cycle.size()]);
        }
    }
    return list;
}

} // namespace BenchLongList
