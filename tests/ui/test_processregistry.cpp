// Every described process is whole: its menu entry, its operation, its batch step, its
// place in the list editor and its dialog exist and say what its descriptor says.
#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/operationcontext.h"
#include "Core/Processes/processregistry.h"
#include "Model/Process/processfactory.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/Operations/filmoptionsdialog.h"
#include "UI/Operations/processdialogs.h"
#include "UI/mainwindowform.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDoubleSpinBox>
#include <QMainWindow>
#include <QMenu>
#include <QSpinBox>
#include <algorithm>
#include <set>

using Core::Processes::ParameterField;
using Core::Processes::ProcessDescriptor;
using Core::Processes::ProcessRegistry;
using Core::Processes::ValueType;

namespace {

bool isNumber(ValueType type)
{
    return type == ValueType::Float || type == ValueType::Double || type == ValueType::UInt || type == ValueType::Int;
}

QString expectedTitle(const ProcessDescriptor &process)
{
    if (!process.dialogTitle.isEmpty())
        return process.dialogTitle;
    return Model::Process::ProcessFactory::instance()->getProcess(process.catalogueId).name + " Options";
}

// The field's box in a form dialog agrees with the field: label, range, default,
// decimals and unit.
void expectBoxFollows(Ui::Operations::FilmOptionsDialog &dialog, const ParameterField &field)
{
    SCOPED_TRACE(field.key.toStdString());
    if (QDoubleSpinBox *box = dialog.numberBox(field.key)) {
        // A box may stand beside a choice (a radio button) rather than a label.
        if (!DialogTest::labelOf(box).isEmpty()) {
            EXPECT_EQ(DialogTest::labelOf(box), field.label);
        }
        EXPECT_EQ(box->minimum(), field.minimum);
        EXPECT_EQ(box->maximum(), field.maximum);
        EXPECT_EQ(box->value(), field.defaultValue);
        EXPECT_EQ(box->decimals(), field.decimals);
        EXPECT_EQ(box->suffix(), field.suffix());
    } else if (QSpinBox *count = dialog.countBox(field.key)) {
        EXPECT_EQ(count->minimum(), static_cast<int>(field.minimum));
        EXPECT_EQ(count->maximum(), static_cast<int>(field.maximum));
        // A height may start at the volume's own (planarization's maximum removes nothing).
        EXPECT_TRUE(count->value() == static_cast<int>(field.defaultValue) || count->value() == count->maximum())
            << count->value();
        EXPECT_EQ(count->suffix(), field.suffix());
    }
    if (field.isMaterial() && dialog.materialBox(field.key)) {
        EXPECT_EQ(DialogTest::labelOf(dialog.materialBox(field.key)), field.label);
    }
}

} // namespace

TEST(ProcessRegistry, EveryProcessIsWholeAndAgreesWithItsDescriptor)
{
    const std::vector<ProcessDescriptor> &all = ProcessRegistry::instance().all();
    ASSERT_EQ(all.size(), 21u);

    QMainWindow window;
    Ui::MainWindowForm form;
    form.setupUi(&window);
    Core::Operations::OperationContext context;
    Ui::OperationFactory factory(context, nullptr);
    Core::BatchRun::ProcessListRunner runner(context);
    const auto &typeEntries = Ui::processTypeEntries();

    std::set<int32_t> operations, batchTypes, ranks;
    for (const ProcessDescriptor &process : all) {
        SCOPED_TRACE(process.listName.toStdString());
        EXPECT_FALSE(process.consoleName.isEmpty());

        // Numbers name one process each.
        if (process.operationNumber >= 0) {
            EXPECT_TRUE(operations.insert(process.operationNumber).second);
        }
        ASSERT_GE(process.batchType, 0);
        EXPECT_TRUE(batchTypes.insert(process.batchType).second);
        EXPECT_TRUE(ranks.insert(process.editorRank).second);

        // Fields: distinct list keys, defaults within their limits.
        std::set<QString> keys;
        for (const ParameterField &field : process.fields) {
            SCOPED_TRACE(field.key.toStdString());
            EXPECT_TRUE(keys.insert(field.listKey()).second);
            EXPECT_FALSE(field.label.isEmpty());
            if (isNumber(field.type) && field.maximum > field.minimum) {
                EXPECT_GE(field.defaultValue, field.minimum);
                EXPECT_LE(field.defaultValue, field.maximum);
                // A default the dialog offers is one a list step takes.
                EXPECT_TRUE(field.keepsRule(field.defaultValue));
            }
        }
        EXPECT_EQ(process.silicon == Core::Processes::SiliconEffect::WhenMaterialIsSilicon,
                  process.field(process.writtenMaterial) != nullptr);

        // The menu entry, where it has one, and the operation it starts.
        if (!process.menuText.isEmpty()) {
            const auto entry = std::find_if(Ui::MainWindowForm::entries().cbegin(), Ui::MainWindowForm::entries().cend(),
                                            [&](const Ui::MainWindowForm::Entry &e) {
                                                return e.operation == process.operationNumber;
                                            });
            ASSERT_NE(entry, Ui::MainWindowForm::entries().cend());
            QAction *action = form.action(QString::fromLatin1(entry->name));
            ASSERT_TRUE(action);
            EXPECT_EQ(action->text(), process.menuText);
            if (!process.statusTip.isEmpty()) {
                EXPECT_EQ(action->statusTip(), process.statusTip);
            }
        }
        if (process.operationNumber >= 0) {
            const Core::Operations::OperationPtr operation = factory.create(process.operationNumber);
            ASSERT_TRUE(operation);
            EXPECT_EQ(operation->getName(), process.consoleName.toStdString());
            EXPECT_EQ(operation->getTypeId(), process.recordedNumber);
            EXPECT_TRUE(operation->getOptionsObserver());
        }

        // The batch step, its name in lists and in the list editor, and its editor.
        EXPECT_TRUE(runner.hasHandler(process.batchType));
        EXPECT_EQ(Core::BatchRun::ProcessData::processName(process.batchType), process.listName);
        EXPECT_NE(std::find(typeEntries.cbegin(), typeEntries.cend(), std::make_pair(process.editorName, process.batchType)),
                  typeEntries.cend());
        const std::unique_ptr<Ui::StepEditor> editor = Ui::StepEditor::create(process.batchType, nullptr);
        ASSERT_TRUE(editor);
        ASSERT_TRUE(editor->dialog());
        EXPECT_EQ(editor->dialog()->windowTitle(), expectedTitle(process));

        // The dialog of a described process shows its fields as described.
        if (process.generic) {
            // Without a volume, as the list editor opens it: heights are bounded only by
            // the largest count a list may hold.
            const std::unique_ptr<Ui::Operations::ProcessDialog> dialog = Ui::Operations::makeProcessDialog(
                process, nullptr, {{Core::Processes::VolumeFacts::height, 999999999u}});
            EXPECT_EQ(dialog->windowTitle(), expectedTitle(process));
            if (auto *formDialog = qobject_cast<Ui::Operations::FilmOptionsDialog *>(dialog.get()))
                for (const ParameterField &field : process.fields)
                    expectBoxFollows(*formDialog, field);
        }
    }
    // The list editor offers every type once, in the descriptors' order.
    EXPECT_EQ(typeEntries.size(), all.size());
    EXPECT_TRUE(std::is_sorted(typeEntries.cbegin(), typeEntries.cend(), [](const auto &a, const auto &b) {
        return ProcessRegistry::instance().byBatchType(a.second)->editorRank <
               ProcessRegistry::instance().byBatchType(b.second)->editorRank;
    }));
}

// A list step written by the list editor from a described dialog's defaults is one its
// batch step takes: the editor and the runner read the same fields.
TEST(ProcessRegistry, DefaultsWrittenByTheEditorAreTakenByTheBatchStep)
{
    Core::Operations::OperationContext context;
    Core::BatchRun::ProcessListRunner runner(context);
    for (const ProcessDescriptor &process : ProcessRegistry::instance().all()) {
        if (!process.generic || !process.run)
            continue;
        SCOPED_TRACE(process.listName.toStdString());
        const std::unique_ptr<Ui::StepEditor> editor = Ui::StepEditor::create(process.batchType, nullptr, 20);
        ASSERT_TRUE(editor);
        Core::BatchRun::ProcessData step(process.batchType);
        editor->write(step);
        const auto checked = runner.checkStep(step);
        EXPECT_EQ(checked.result, 0) << checked.rejection.toStdString();
        for (const QString &read : checked.parametersRead)
            EXPECT_TRUE(step.hasParameter(read)) << read.toStdString();
    }
}
