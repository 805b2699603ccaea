#include "Core/Operations/Document/opendocumentoperation.h"

#include "Core/Operations/operationcontext.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>

namespace Core {
namespace Operations {

namespace {

QMutex rememberedMutex;
QString rememberedPath;

void remember(const QString &path)
{
    // A cancelled dialog keeps the previous place.
    if (path.isEmpty())
        return;
    QMutexLocker lock(&rememberedMutex);
    rememberedPath = path;
}

} // namespace

OpenDocumentOperation::OpenDocumentOperation(OperationContext &context)
    : Operation("Open document", 11), context(context)
{
}

QString OpenDocumentOperation::startLocation()
{
    QMutexLocker lock(&rememberedMutex);
    return rememberedPath.isEmpty() ? QDir::homePath() : rememberedPath;
}

void OpenDocumentOperation::execute()
{
    path.clear();
    request = Request::ChooseFile;
    notifyOptionsObserver();
    request = Request::None;
    remember(path);
    if (path.isEmpty())
        cancel();
    else
        end();
}

void OpenDocumentOperation::end()
{
    if (!path.isEmpty()) {
        request = Request::OpenDocument;
        notifyOptionsObserver();
        request = Request::None;
    }
    context.finishOperation();
}

void OpenDocumentOperation::cancel()
{
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
