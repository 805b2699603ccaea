#include "UI/Operations/extractmodeldialog.h"

#include "Core/Operations/ModelExtraction/netlistfile.h"
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "UI/rememberedfolder.h"

#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {

RememberedFolder chooserFolder;

} // namespace

const QString ExtractModelDialog::saveCaption = QStringLiteral("Save netlist");
const QString ExtractModelDialog::saveFilter = QStringLiteral("Circuit files *.cir");

ExtractModelDialog::ExtractModelDialog(std::weak_ptr<Core::Operations::RunModelExtraction> operation,
                                       QWidget *parent)
    : QDialog(parent, Qt::Tool), operation(std::move(operation))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Extract Model"));
    resize(175, 247);

    auto *layout = new QVBoxLayout(this);
    stepOne = new QPushButton(QStringLiteral("Run Step 1"), this);
    stepTwo = new QPushButton(QStringLiteral("Run Step 2"), this);
    stepThree = new QPushButton(QStringLiteral("Run Step 3"), this);
    const std::pair<const char *, QPushButton *> steps[] = {
        {"Preprocessing", stepOne}, {"Feature Detection", stepTwo}, {"Model Extraction", stepThree}};
    for (const auto &step : steps) {
        layout->addWidget(new QLabel(QString::fromLatin1(step.first), this));
        if (step.second == stepThree) {
            // The netlist is in SI units: the model unit's length in micrometres scales
            // every beam, so it is set right before the netlist is saved.
            auto *label = new QLabel(QStringLiteral("Micrometres per model unit"), this);
            label->setWordWrap(true);
            unit = new QDoubleSpinBox(this);
            unit->setDecimals(4);
            unit->setRange(0.0001, 10000.0);
            unit->setValue(1.0);
            unit->setToolTip(QStringLiteral("How many micrometres one model unit (the unit of the cell size) is."));
            label->setBuddy(unit);
            layout->addWidget(label);
            layout->addWidget(unit);
        }
        layout->addWidget(step.second);
        step.second->setAutoDefault(false);
    }
    layout->addStretch();
    stepTwo->setEnabled(false);
    stepThree->setEnabled(false);
    if (const auto op = this->operation.lock())
        unit->setValue(op->getMicrometresPerUnit());
    connect(unit, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [this](double micrometres) {
        if (const auto op = this->operation.lock())
            op->setMicrometresPerUnit(micrometres);
    });
    connect(stepOne, &QPushButton::clicked, this, &ExtractModelDialog::runStepOneClicked);
    connect(stepTwo, &QPushButton::clicked, this, &ExtractModelDialog::runStepTwoClicked);
    connect(stepThree, &QPushButton::clicked, this, &ExtractModelDialog::runStepThreeClicked);
}

QString ExtractModelDialog::lastDirectory()
{
    return chooserFolder.folder();
}

void ExtractModelDialog::runStepOneClicked()
{
    if (const auto op = operation.lock())
        op->preprocess();
    stepOne->setEnabled(false);
    stepTwo->setEnabled(true);
}

void ExtractModelDialog::runStepTwoClicked()
{
    if (const auto op = operation.lock())
        op->detectFeatures();
    stepTwo->setEnabled(false);
    stepThree->setEnabled(true);
}

void ExtractModelDialog::runStepThreeClicked()
{
    const auto op = operation.lock();
    const QString text = op ? op->netlist() : QString();
    const QString problem = op ? op->netlistProblem() : QString();
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Model Extraction"),
                             QStringLiteral("No netlist can be written: %1.").arg(problem));
        return;
    }
    if (text.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("No model data"), QStringLiteral("No model data was extracted."));
        return;
    }
    const QString fileName = QFileDialog::getSaveFileName(this, saveCaption, chooserFolder.folder(), saveFilter);
    if (fileName.isEmpty())
        return;
    chooserFolder.rememberFileOf(fileName);
    if (!Core::Operations::NetlistFile::save(fileName, text))
        QMessageBox::warning(this, QStringLiteral("File Error"), QStringLiteral("Unable to save to selected file!"));
}

void ExtractModelDialog::done(int result)
{
    // Closing the window, by its title bar or by Escape, finishes the extraction; after a
    // cancel this does nothing.
    if (const auto op = operation.lock())
        op->end();
    QDialog::done(result);
}

} // namespace Operations
} // namespace Ui
