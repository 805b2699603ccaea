#pragma once

#include "Model/Automaton/totalvolume.h"
#include "Model/scene.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <map>

namespace Ui {

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
    Model::Automaton::TotalVolumePtr volume;
    ImageSaver saveImage;
};

} // namespace Ui
