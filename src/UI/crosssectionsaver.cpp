#include "UI/crosssectionsaver.h"

#include "Core/Operations/CrossSection/crosssectionimage.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/crosssectiondialog.h"
#include "UI/rememberedfolder.h"
#include "UI/savefilechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace Ui {

namespace {

RememberedFolder chooserFolder;

} // namespace

const QString CrossSectionSaver::title = QStringLiteral("Save Cross-Section");
const QString CrossSectionSaver::chooserFilter = QStringLiteral("PNG Image (*.png)");

QString CrossSectionSaver::lastDirectory()
{
    return chooserFolder.folder();
}

QString CrossSectionSaver::run(Core::Operations::OperationContext &context, QWidget *parent)
{
    using Core::Operations::CrossSectionImage;
    const Model::Automaton::TotalVolumePtr volume = context.selectedOrFirstVolume();
    if (!volume) {
        QMessageBox::information(parent, title,
                                 QObject::tr("There is no cell volume to cut. Create a substrate first."));
        return QString();
    }
    Operations::CrossSectionDialog dialog({volume->getSizeX(), volume->getSizeY(), volume->getSizeZ()}, parent);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const Core::Operations::SectionPlane plane = dialog.plane();
    // A picture that cannot be made is refused before a file is asked for.
    QString error;
    if (!CrossSectionImage::fits(*volume, plane, &error)) {
        QMessageBox::warning(parent, title, QObject::tr("The cross-section cannot be drawn: %1").arg(error));
        return QString();
    }

    const QString offered = QDir(lastDirectory())
                                .filePath(QStringLiteral("cross-section-%1%2.png").arg(plane.axisName()).arg(plane.index));
    const QString fileName = chooseSaveFile(parent, title, offered, chooserFilter, QStringLiteral("png"));
    if (fileName.isEmpty())
        return QString();

    if (!CrossSectionImage::fits(*volume, plane, &error) || !CrossSectionImage(*volume, plane).save(fileName, &error)) {
        QMessageBox::warning(parent, title,
                             QObject::tr("The cross-section could not be saved to \"%1\": %2")
                                 .arg(QDir::toNativeSeparators(fileName), error));
        return QString();
    }
    chooserFolder.rememberFileOf(fileName);
    return QObject::tr("Cross-section at %1 saved to %2").arg(plane.text(), QDir::toNativeSeparators(fileName));
}

} // namespace Ui
