#include "Core/BatchRun/createsubstratestep.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Model/Persistence/volumelimits.h"


namespace Core {
namespace BatchRun {

using Core::Operations::SubstrateParameters;

int32_t runCreateSubstrateStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    SubstrateParameters p;
    p.materialId = read.toUInt(SubstrateParameters::keyMaterialId);
    p.corner = read.toVector3D(SubstrateParameters::keyCorner);
    p.volumeSizeX = read.toUInt(SubstrateParameters::keyVolumeSizeX);
    p.volumeSizeY = read.toUInt(SubstrateParameters::keyVolumeSizeY);
    p.volumeSizeZ = read.toUInt(SubstrateParameters::keyVolumeSizeZ);
    p.spherical = read.toBool(SubstrateParameters::keySpherical);
    if (!step.getParameters().value(SubstrateParameters::keySpherical).isValid())
        return read.result(); // which shape's keys are required is unknown
    if (p.spherical) {
        p.centreX = read.toUInt(SubstrateParameters::keyCentreX);
        p.centreY = read.toUInt(SubstrateParameters::keyCentreY);
        p.centreZ = read.toUInt(SubstrateParameters::keyCentreZ);
        p.radius = read.toUInt(SubstrateParameters::keyRadius);
    } else {
        p.substrateSizeX = read.toUInt(SubstrateParameters::keySubstrateSizeX);
        p.substrateSizeY = read.toUInt(SubstrateParameters::keySubstrateSizeY);
        p.substrateSizeZ = read.toUInt(SubstrateParameters::keySubstrateSizeZ);
        p.deltaX = read.toUInt(SubstrateParameters::keyDeltaX);
        p.deltaY = read.toUInt(SubstrateParameters::keyDeltaY);
        p.deltaZ = read.toUInt(SubstrateParameters::keyDeltaZ);
    }
    if (read.result() != 0)
        return read.result();

    QString reason;
    if (p.volumeSizeX == 0 || p.volumeSizeY == 0 || p.volumeSizeZ == 0)
        return rejectStep(step, QStringLiteral("the volume has a size of 0"));
    if (!Model::Persistence::VolumeLimits::fits(p.volumeSizeX, p.volumeSizeY, p.volumeSizeZ, &reason))
        return rejectStep(step, reason);
    if (StepParameters::checkOnly())
        return 0;

    const Model::Automaton::TotalVolumePtr volume = p.buildVolume();
    environment.scene.add(volume);
    environment.volume = volume;
    return 0;
}

} // namespace BatchRun
} // namespace Core
