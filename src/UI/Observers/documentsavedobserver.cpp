#include "UI/Observers/documentsavedobserver.h"

#include "Core/Operations/Document/savedocumentoperation.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Persistence/documentfile.h"
#include "UI/savefilechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

namespace Ui {
namespace Observers {

using Core::Operations::SaveDocumentOperation;
using Model::Persistence::DocumentFile;

const QString DocumentSavedObserver::fileFilter = QStringLiteral("Kelvane file (*.mem)");
const QString DocumentSavedObserver::titlePrefix = QStringLiteral("Kelvane  ");

void DocumentSavedObserver::update()
{
    const auto operation = current<SaveDocumentOperation>();
    if (!operation)
        return;
    switch (operation->getRequest()) {
    case SaveDocumentOperation::Request::ChoosePath:
        operation->setPath(chooseSaveFile(mainWindow, QStringLiteral("Choose location"), QDir::homePath(),
                                          fileFilter, QStringLiteral("mem")));
        break;
    case SaveDocumentOperation::Request::ReportResult:
        if (operation->getResult().ok()) {
            if (mainWindow)
                mainWindow->setWindowTitle(titlePrefix + operation->getPath());
        } else {
            QMessageBox::information(mainWindow, DocumentFile::writeErrorTitle, DocumentFile::writeErrorText);
        }
        break;
    case SaveDocumentOperation::Request::None:
        break;
    }
}

} // namespace Observers
} // namespace Ui
