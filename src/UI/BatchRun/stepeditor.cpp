#include "UI/BatchRun/stepeditor.h"

#include "Core/BatchRun/registeredstep.h"
#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Core/Operations/Photolithography/gdsmask.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/materialfactory.h"
#include "UI/BatchRun/saveimagestepdialog.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/gdsmaskfields.h"
#include "UI/Operations/maskfilebox.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/processdialogs.h"
#include "UI/Operations/randomwalkdopingdialog.h"

#include <QColor>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace Ui {

using namespace Core::BatchRun;

using namespace Operations;

namespace {

using Parameters = QMap<QString, QVariant>;

// Before a volume exists the pour height and the planarization's maximum have no natural
// bound; this is the largest count of cells the other cell-count fields accept. The run
// clamps them to the volume.
constexpr uint32_t unboundedHeight = 999999999;

// One process type's editor: the operation's own options dialog, preset through the
// dialog's preset() (or a type's own preset rule) and written out by the type's writer.
// The writer also sees the parameters the editor was preset with, for values the dialog
// cannot hold (a mask whose image file is gone).
template <class Dialog>
class DialogStepEditor final : public StepEditor
{
public:
    using Writer = void (*)(const Dialog &, const Parameters &preset, ProcessData &);
    using Presetter = void (*)(Dialog &, const Parameters &);

    DialogStepEditor(Dialog *dialog, Writer writer, Presetter presetter)
        : owned(dialog), writer(writer), presetter(presetter)
    {
    }
    // The dialog may have gone with its parent already.
    ~DialogStepEditor() override { delete owned.data(); }

    QDialog *dialog() const override { return owned.data(); }

    void preset(const Parameters &parameters) override
    {
        for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
            presetParameters.insert(it.key(), it.value());
        if (!owned)
            return;
        if (presetter)
            presetter(*owned, parameters);
        else
            owned->preset(parameters);
    }

    void write(ProcessData &step) const override
    {
        if (owned)
            writer(*owned, presetParameters, step);
    }

private:
    QPointer<Dialog> owned;
    Writer writer;
    Presetter presetter;
    Parameters presetParameters;
};

template <class Dialog, class... Arguments>
std::unique_ptr<StepEditor> editor(typename DialogStepEditor<Dialog>::Writer writer, QWidget *parent,
                                   Arguments... arguments)
{
    return std::make_unique<DialogStepEditor<Dialog>>(new Dialog(arguments..., parent), writer, nullptr);
}

// Shown values.
void show(ProcessData &step, const QString &name, const QVariant &value) { step.setParameter(name, value, true); }
void showFloat(ProcessData &step, const QString &name, double value) { show(step, name, static_cast<float>(value)); }
void showUInt(ProcessData &step, const QString &name, int value) { show(step, name, static_cast<uint>(std::max(value, 0))); }

// A material id under `word` + "_Id" (hidden), and beside it the catalogue's name of the
// material under `word` (shown) and its opaque colour under `word` + "_Color" (hidden).
void writeMaterial(ProcessData &step, const QString &word, quint32 id)
{
    const Model::Materials::Material material = Model::Materials::MaterialFactory::instance()->getMaterial(id);
    QColor colour = QColor::fromRgbF(material.color[0], material.color[1], material.color[2]);
    colour.setAlpha(255);
    step.setParameter(word + QStringLiteral("_Id"), static_cast<uint>(id), false);
    step.setParameter(word, material.name, true);
    step.setParameter(word + QStringLiteral("_Color"), colour, false);
}

const QString material = QStringLiteral("Material");

// -- Photolithography (0) ---------------------------------------------------------------

QString maskKey(const QString &side, const char *suffix) { return side + QStringLiteral(" Mask") + QLatin1String(suffix); }

bool hasStoredMask(const Parameters &preset, const QString &side)
{
    return preset.value(maskKey(side, "")).userType() == qMetaTypeId<MaskBitmap>() &&
           preset.value(maskKey(side, " Width")).toUInt() != 0;
}

// The layout a step names for a side, and where it lands: absent values take the mask
// box's defaults.
QString storedLayout(const Parameters &parameters, const QString &side)
{
    return parameters.value(maskKey(side, " Layout")).toString().trimmed();
}

Core::Operations::GdsMaskPlacement storedPlacement(const Parameters &parameters, const QString &side)
{
    Core::Operations::GdsMaskPlacement p;
    const auto number = [&parameters, &side](const char *suffix, double fallback) {
        bool ok = false;
        const double value = parameters.value(maskKey(side, suffix)).toDouble(&ok);
        return ok && std::isfinite(value) ? value : fallback;
    };
    p.layer = static_cast<int>(std::clamp(number(" Layer", p.layer), 0.0, 65535.0));
    p.datatype = static_cast<int>(std::clamp(number(" Datatype", p.datatype), -1.0, 65535.0));
    p.topCell = parameters.value(maskKey(side, " Top Cell")).toString().trimmed();
    p.cellsPerMicron = number(" Scale", p.cellsPerMicron);
    p.offsetX = number(" Offset X", p.offsetX);
    p.offsetY = number(" Offset Y", p.offsetY);
    return p;
}

// A step keeps its mask bits in the list; the image file it came from may be gone. Such
// a file is not read (which would only warn and lose the mask): its name goes into the
// field, and the stored bits stay unless the user picks another mask. Nor is a layout
// read again: its name and placement go into the box, and the run rasterises it.
void presetPhotolithography(PhotolithographyDialog &dialog, const Parameters &parameters)
{
    Parameters forDialog = parameters;
    std::vector<std::pair<MaskFileBox *, QString>> unread;
    const std::pair<MaskFileBox *, QString> sides[] = {{dialog.topBox(), QStringLiteral("Top")},
                                                       {dialog.bottomBox(), QStringLiteral("Bottom")}};
    for (const auto &side : sides) {
        const QString layout = storedLayout(parameters, side.second);
        if (!layout.isEmpty()) {
            side.first->layoutFields()->setPlacement(storedPlacement(parameters, side.second));
            forDialog.remove(maskKey(side.second, " File"));
            unread.emplace_back(side.first, layout);
            continue;
        }
        const QString file = parameters.value(maskKey(side.second, " File")).toString().trimmed();
        if (!file.isEmpty() && hasStoredMask(parameters, side.second) &&
            (!QFileInfo(file).isFile() || Core::Operations::GdsLayout::isLayoutFile(file))) {
            forDialog.remove(maskKey(side.second, " File"));
            unread.emplace_back(side.first, file);
        }
    }
    dialog.preset(forDialog);
    for (const auto &box : unread)
        box.first->fileField()->setText(box.second);
}

// The layout a mask comes from and where it lands, read by the run; shown in the tree.
void writeLayout(ProcessData &step, const QString &side, const QString &layout,
                 const Core::Operations::GdsMaskPlacement &p)
{
    show(step, maskKey(side, " Layout"), layout);
    show(step, maskKey(side, " Layer"), p.layer);
    show(step, maskKey(side, " Datatype"), p.datatype);
    show(step, maskKey(side, " Top Cell"), p.topCell);
    show(step, maskKey(side, " Scale"), p.cellsPerMicron);
    show(step, maskKey(side, " Offset X"), p.offsetX);
    show(step, maskKey(side, " Offset Y"), p.offsetY);
}

void writeMask(ProcessData &step, const QString &side, const MaskFileBox &box, const Parameters &preset)
{
    // A layout applied now, or the step's layout still in the field, is named in the step
    // with the box's placement, so the run rasterises it onto whatever volume it meets.
    const QString fieldText = box.fileField()->text().trimmed();
    QString layout;
    if (Core::Operations::GdsLayout::isLayoutFile(box.getMaskFile()))
        layout = box.getMaskFile();
    else if (box.getMaskFile().isEmpty() && !fieldText.isEmpty() && fieldText == storedLayout(preset, side))
        layout = fieldText;
    if (!layout.isEmpty())
        writeLayout(step, side, layout, box.layoutFields()->placement());

    // The bits stay in the step as well, for readers that know no layouts.
    const QString storedFile = preset.value(maskKey(side, " File")).toString().trimmed();
    const bool keepStored = box.getMaskFile().isEmpty() && !storedFile.isEmpty() &&
                            fieldText == storedFile && hasStoredMask(preset, side);
    if (keepStored) {
        step.setParameter(maskKey(side, ""), preset.value(maskKey(side, "")), false);
        show(step, maskKey(side, " Width"), preset.value(maskKey(side, " Width")).toUInt());
        show(step, maskKey(side, " Height"), preset.value(maskKey(side, " Height")).toUInt());
        show(step, maskKey(side, " File"), storedFile);
        return;
    }
    const Core::Operations::Mask &mask = box.getMask();
    const MaskBitmap bits(mask.getBits().begin(), mask.getBits().end());
    // The bits are no readable text: the tree shows the size and the file instead.
    step.setParameter(maskKey(side, ""), QVariant::fromValue(bits), false);
    showUInt(step, maskKey(side, " Width"), mask.getWidth());
    showUInt(step, maskKey(side, " Height"), mask.getHeight());
    show(step, maskKey(side, " File"), layout.isEmpty() ? box.getMaskFile() : layout);
}

void writePhotolithography(const PhotolithographyDialog &d, const Parameters &preset, ProcessData &step)
{
    writeMaterial(step, material, d.getMaterial());
    writeMask(step, QStringLiteral("Top"), *d.topBox(), preset);
    writeMask(step, QStringLiteral("Bottom"), *d.bottomBox(), preset);
}

std::unique_ptr<StepEditor> photolithographyEditor(QWidget *parent)
{
    return std::make_unique<DialogStepEditor<PhotolithographyDialog>>(
        new PhotolithographyDialog(parent), writePhotolithography, presetPhotolithography);
}

// -- The other types, in type order -------------------------------------------------------

void writeSaveImage(const SaveImageStepDialog &d, const Parameters &, ProcessData &step)
{
    show(step, QStringLiteral("Filename"), d.getFileName());
}

void writeCreateSubstrate(const CreateSubstrateDialog &d, const Parameters &, ProcessData &step)
{
    using Core::Operations::SubstrateParameters;
    const SubstrateParameters p = d.parameters();
    // The block's or the ball's values, as "SphericalSubstrate" says.
    const Parameters values = p.toParameterMap();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (it.key() != SubstrateParameters::keyMaterialId)
            show(step, it.key(), it.value());
    writeMaterial(step, material, p.materialId);
}

// SI units, as the run reads them.
void writeRandomWalkDoping(const RandomWalkDopingDialog &d, const Parameters &, ProcessData &step)
{
    showFloat(step, QStringLiteral("Cell Size"), d.getCellSize());
    showFloat(step, QStringLiteral("Time Step Duration"), d.getTimeStep());
    showFloat(step, QStringLiteral("Diffusion Coefficient"), d.getDiffusionCoefficient());
    writeMaterial(step, material, d.getDopantMaterial());
    showFloat(step, QStringLiteral("Doping Time"), d.getDopingTime());
    showFloat(step, QStringLiteral("Doping Threshold"), d.getDopingThreshold());
    showFloat(step, QStringLiteral("Surface Concentration"), d.getSurfaceConcentration());
}

// The editor of a described process: its options dialog, written out by its fields.
class DescribedStepEditor final : public StepEditor
{
public:
    DescribedStepEditor(const Core::Processes::ProcessDescriptor &process, QWidget *parent,
                        const Core::Processes::ParameterSet &volumeFacts)
        : process(process), owned(makeProcessDialog(process, parent, volumeFacts).release())
    {
    }
    // The dialog may have gone with its parent already.
    ~DescribedStepEditor() override { delete owned.data(); }

    QDialog *dialog() const override { return owned.data(); }

    void preset(const Parameters &parameters) override
    {
        if (owned)
            owned->preset(parameters);
    }

    void write(ProcessData &step) const override
    {
        if (!owned)
            return;
        Core::Processes::ParameterSet values;
        owned->writeValues(values);
        writeStepValues(process, values, step);
    }

private:
    const Core::Processes::ProcessDescriptor &process;
    QPointer<ProcessDialog> owned;
};

} // namespace

std::unique_ptr<StepEditor> StepEditor::create(int32_t processType, QWidget *parent, uint32_t volumeHeight)
{
    if (const Core::Processes::ProcessDescriptor *process =
            Core::Processes::ProcessRegistry::instance().byBatchType(processType))
        if (process->generic && process->run)
            // The whole height, as in the window: a new step removes nothing until told to.
            return std::make_unique<DescribedStepEditor>(
                *process, parent,
                Core::Processes::ParameterSet{{Core::Processes::VolumeFacts::height,
                                               volumeHeight != 0 ? volumeHeight : unboundedHeight}});
    switch (processType) {
    case 0:
        return photolithographyEditor(parent);
    case 10:
        return editor<SaveImageStepDialog>(writeSaveImage, parent);
    case 11:
        return editor<CreateSubstrateDialog>(writeCreateSubstrate, parent);
    case 19:
        return editor<RandomWalkDopingDialog>(writeRandomWalkDoping, parent);
    default:
        return nullptr;
    }
}

const std::vector<std::pair<QString, int32_t>> &processTypeEntries()
{
    static const std::vector<std::pair<QString, int32_t>> entries = [] {
        std::vector<const Core::Processes::ProcessDescriptor *> listed;
        for (const Core::Processes::ProcessDescriptor &process : Core::Processes::ProcessRegistry::instance().all())
            if (process.batchType >= 0)
                listed.push_back(&process);
        std::sort(listed.begin(), listed.end(),
                  [](const auto *a, const auto *b) { return a->editorRank < b->editorRank; });
        std::vector<std::pair<QString, int32_t>> result;
        for (const Core::Processes::ProcessDescriptor *process : listed)
            result.emplace_back(process->editorName, process->batchType);
        return result;
    }();
    return entries;
}

} // namespace Ui
