#include "Core/Operations/Document/savedocumentasoperation.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

SaveDocumentAsOperation::SaveDocumentAsOperation(OperationContext &context)
    : SaveDocumentOperation(context, "Save Document As", 10)
{
}

void SaveDocumentAsOperation::execute()
{
    setPath(QString());
    askForPath();
    end();
}

void SaveDocumentAsOperation::end()
{
    if (!getPath().isEmpty())
        save();
    context.finishOperation();
}

} // namespace Operations
} // namespace Core
