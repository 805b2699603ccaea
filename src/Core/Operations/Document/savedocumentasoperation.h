#pragma once

#include "Core/Operations/Document/savedocumentoperation.h"

namespace Core {
namespace Operations {

// "Save Document As": always asks for a path; saves when one was given.
class SaveDocumentAsOperation : public SaveDocumentOperation
{
public:
    explicit SaveDocumentAsOperation(OperationContext &context);

    void execute() override;
    void end() override;
};

} // namespace Operations
} // namespace Core
