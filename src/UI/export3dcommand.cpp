#include "UI/export3dcommand.h"

#include "Core/Operations/ExportData/volumeexport3d.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/busycursor.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>
#include <exception>

namespace Ui {

using Core::Operations::VolumeExport3D;

const QString Export3DCommand::title = QStringLiteral("Export 3-D");

namespace {

constexpr int statusTimeout = 10000;

QString nativeList(const QStringList &files)
{
    QStringList shown;
    for (const QString &f : files)
        shown << QDir::toNativeSeparators(f);
    return shown.join(QStringLiteral(", "));
}

} // namespace

Export3DCommand::Export3DCommand(QWidget *window, QStatusBar *statusBar, Core::Operations::OperationContext &context)
    : window(window), statusBar(statusBar), context(context), lastPath(QDir::homePath()),
      lastFilter(nameFilters().front())
{
}

QStringList Export3DCommand::nameFilters()
{
    return {QStringLiteral("VTK Image Data (*.vti)"), QStringLiteral("STL Surface (*.stl)"),
            QStringLiteral("STL Surface, One File per Material (*.stl)")};
}

void Export3DCommand::run()
{
    const Model::Automaton::TotalVolumePtr volume = context.selectedOrFirstVolume();
    if (!volume) {
        QMessageBox::information(window, title,
                                 QObject::tr("There is no cell volume to export. Create a substrate or open a "
                                             "document first."));
        return;
    }

    const QStringList filters = nameFilters();
    QFileDialog chooser(window, title, lastPath);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setNameFilters(filters);
    chooser.selectNameFilter(lastFilter);
    // A name typed without a suffix gets the chosen filter's.
    auto suffixOf = [&filters](const QString &filter) {
        return filter == filters.front() ? QStringLiteral("vti") : QStringLiteral("stl");
    };
    chooser.setDefaultSuffix(suffixOf(lastFilter));
    QObject::connect(&chooser, &QFileDialog::filterSelected,
                     [&chooser, &suffixOf](const QString &filter) { chooser.setDefaultSuffix(suffixOf(filter)); });
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString fileName = chooser.selectedFiles().front();
    const QString filter = chooser.selectedNameFilter();
    const bool perMaterial = filter == filters[2];
    lastPath = fileName;
    lastFilter = filter;

    QStringList written;
    QString error;
    bool ok = false;
    statusBar->showMessage(QObject::tr("Exporting to %1 ...").arg(QDir::toNativeSeparators(fileName)));
    statusBar->repaint();
    {
        const BusyCursor busy;
        try {
            ok = VolumeExport3D::write(*volume, fileName, perMaterial, &written, &error);
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        }
    }
    if (!ok) {
        statusBar->clearMessage();
        QMessageBox::warning(window, title,
                             QObject::tr("The cell volume could not be exported to \"%1\": %2.\n\n"
                                         "Files already there keep their previous contents.")
                                 .arg(QDir::toNativeSeparators(fileName), error));
        return;
    }
    statusBar->showMessage(QObject::tr("Exported to %1").arg(nativeList(written)), statusTimeout);
    context.showMessage((title + QStringLiteral(": Written to ") + nativeList(written) + '.').toStdString());
}

} // namespace Ui
