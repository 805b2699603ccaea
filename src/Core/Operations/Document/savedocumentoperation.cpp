#include "Core/Operations/Document/savedocumentoperation.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

SaveDocumentOperation::SaveDocumentOperation(OperationContext &context)
    : SaveDocumentOperation(context, "Save document", 9)
{
}

SaveDocumentOperation::SaveDocumentOperation(OperationContext &context, std::string name,
                                             int32_t typeId)
    : Operation(std::move(name), typeId), context(context)
{
}

void SaveDocumentOperation::execute()
{
    path = context.scene.name();
    if (path.isEmpty())
        askForPath();
    end();
}

void SaveDocumentOperation::end()
{
    if (path.isEmpty()) {
        context.abandonOperation();
        return;
    }
    save();
    context.finishOperation();
}

void SaveDocumentOperation::cancel()
{
    context.interpreter.reset();
    context.abandonOperation();
}

void SaveDocumentOperation::askForPath()
{
    request = Request::ChoosePath;
    notifyOptionsObserver();
    request = Request::None;
}

void SaveDocumentOperation::save()
{
    {
        BusyStep busy(context, getName());
        result = Model::Persistence::DocumentFile::save(context.scene, path, context.archivers);
    }
    saved = result.ok();
    request = Request::ReportResult;
    notifyOptionsObserver();
    request = Request::None;
}

} // namespace Operations
} // namespace Core
