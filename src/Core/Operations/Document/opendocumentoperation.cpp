#include "Core/Operations/Document/opendocumentoperation.h"

#include "Core/Operations/operationcontext.h"

#include <QDir>
#include <mutex>

namespace Core {
namespace Operations {

namespace {

std::mutex rememberedMutex;
QString rememberedPath;

void remember(const QString &path)
{
    // A cancelled dialog keeps the previous place.
    if (path.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(rememberedMutex);
    rememberedPath = path;
}

} // namespace

OpenDocumentOperation::OpenDocumentOperation(OperationContext &context)
    : Operation("Open document", 11), context(context)
{
}

QString OpenDocumentOperation::startLocation()
{
    std::lock_guard<std::mutex> lock(rememberedMutex);
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
