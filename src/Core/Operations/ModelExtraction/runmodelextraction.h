#pragma once

#include "Core/Operations/operation.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/extractedmodel.h"

#include <QString>
#include <memory>

namespace Core {
namespace Operations {

class OperationContext;

// "Extract Model" (1000): turns a cell volume's cantilever beams into a netlist in three
// steps the user drives from a non-modal dialog: preprocess() shows the volume's blocks in
// its place, detectFeatures() shows the beams found beside it, netlist() gives the text to
// save. The models shown live in the scene only while the operation runs; end() and
// cancel() take them out and show the volume again.
class RunModelExtraction : public Operation
{
public:
    explicit RunModelExtraction(OperationContext &context);

    void execute() override;
    void cancel() override;
    void end() override;

    // Each step runs once, in order, while the dialog is open.
    void preprocess();
    void detectFeatures();
    // Empty when no beam was found (or before detectFeatures()), or when netlistProblem()
    // says why the beams found cannot be modelled.
    QString netlist() const;
    QString netlistProblem() const;

    // How many micrometres one model unit of the volume is: the beams' sizes in the
    // netlist are their cells times the volume's cell size times this. 1 at the start; a
    // value that is not positive and finite is refused (false) and the old one stays.
    bool setMicrometresPerUnit(double micrometres);
    double getMicrometresPerUnit() const { return micrometresPerUnit; }

    // Told when the operation is cancelled, to close the dialog.
    void setCloseDialogObserver(Util::ObserverPtr observer) { closeDialogObserver = std::move(observer); }

    // 0 waiting for a volume, 1 the dialog works, 2 ended or cancelled.
    int32_t getStep() const { return step; }
    Model::Automaton::TotalVolumePtr getVolume() const { return volume; }
    std::shared_ptr<Model::ModelExtraction::ExtractedModel> getBlockModel() const { return blockModel; }
    std::shared_ptr<Model::ModelExtraction::ExtractedModel> getBeamModel() const { return beamModel; }

private:
    void chooseVolume();
    // Takes the models out of the scene and shows the volume again.
    void restoreScene();

    OperationContext &context;
    int32_t step = 0;
    Model::Automaton::TotalVolumePtr volume;
    std::shared_ptr<Model::ModelExtraction::ExtractedModel> blockModel;
    std::shared_ptr<Model::ModelExtraction::ExtractedModel> beamModel;
    Model::ModelExtraction::BlockList blocks;
    bool preprocessed = false;
    bool featuresDetected = false;
    std::shared_ptr<Model::ModelExtraction::CantileverStructure> structure;
    double micrometresPerUnit = 1.0;
    Util::ObserverPtr closeDialogObserver;
};

} // namespace Operations
} // namespace Core
