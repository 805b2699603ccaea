#pragma once

#include "Model/Automaton/totalvolume.h"
#include "Model/scene.h"

#include <QDir>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>

namespace Core {
namespace BatchRun {

// Everything a step handler of a batch run works on. `volume` is the known volume:
// the one the run was given, or the last one a Create Substrate step made.
struct StepEnvironment
{
    // Regenerates the volume's surfaces, redraws and, for a non-empty name, saves the
    // view as an image under that name. False when the image could not be written.
    using ImageSaver = std::function<bool(const QString &fileName)>;

    StepEnvironment(Model::Scene &scene, std::map<int32_t, int32_t> &lastProcessByVolume,
                    std::map<int32_t, bool> &latticeStale)
        : scene(scene), lastProcessByVolume(lastProcessByVolume), latticeStale(latticeStale)
    {
    }

    // The step wrote or removed silicon: the volume's lattice is rebuilt before the next
    // atomistic etch.
    void markLatticeStale() { latticeStale[volume->getId()] = true; }
    // The step wrote or removed cells of `material`; only silicon (1) has a lattice.
    void markLatticeStale(uint32_t material)
    {
        if (material == 1)
            markLatticeStale();
    }

    Model::Scene &scene;
    std::map<int32_t, int32_t> &lastProcessByVolume;
    std::map<int32_t, bool> &latticeStale;
    // A file a step names without a folder (a mask layout) is looked for in the list's
    // own folder; empty: in the working directory.
    QString resolvePath(const QString &fileName) const;

    Model::Automaton::TotalVolumePtr volume;
    ImageSaver saveImage;
    // The folder of the list file being run; empty for a list that has none.
    QString listFolder;
};

inline QString StepEnvironment::resolvePath(const QString &fileName) const
{
    if (listFolder.isEmpty() || QDir::isAbsolutePath(fileName))
        return fileName;
    return QDir(listFolder).filePath(fileName);
}

} // namespace BatchRun
} // namespace Core
