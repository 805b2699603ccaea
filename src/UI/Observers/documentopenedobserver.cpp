#include "UI/Observers/documentopenedobserver.h"

#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/documentfile.h"
#include "UI/Observers/documentsavedobserver.h"
#include "UI/mainwindow.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>
#include <QtDebug>

namespace Ui {
namespace Observers {

using Core::Operations::OpenDocumentOperation;
using Model::Persistence::DocumentFile;

void DocumentOpenedObserver::update()
{
    const auto operation = current<OpenDocumentOperation>();
    if (!operation)
        return;
    if (operation->getRequest() == OpenDocumentOperation::Request::ChooseFile) {
        operation->setPath(QFileDialog::getOpenFileName(mainWindow, QStringLiteral("Choose file"),
                                                        OpenDocumentOperation::startLocation(),
                                                        DocumentSavedObserver::fileFilter));
    } else if (operation->getRequest() == OpenDocumentOperation::Request::OpenDocument) {
        const QString path = operation->getPath();
        auto *window = new MainWindow();
        Core::Operations::OperationContext &target = window->getPresenter().getContext();
        const Model::Materials::MaterialReconciler materials(
            operation->getMaterialConflictObserver(),
            [&target](const std::string &message) { target.showMessage(message); });
        const DocumentFile::Result result = DocumentFile::open(path, target.scene, target.archivers, materials);
        if (!result.ok()) {
            // The new window (and its console) goes at once: it would claim a document it
            // does not hold. Nothing of it is on the call stack.
            delete window;
            QMessageBox::information(mainWindow, DocumentFile::readErrorTitle, DocumentFile::readErrorText(result));
            return;
        }
        target.notifyUpdate();
        window->setWindowTitle(DocumentSavedObserver::titlePrefix + path);
        window->showMaximized();
    }
}

} // namespace Observers
} // namespace Ui
