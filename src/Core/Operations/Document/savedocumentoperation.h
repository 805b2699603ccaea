#pragma once

#include "Core/Operations/operation.h"
#include "Model/Persistence/documentfile.h"

#include <QString>

namespace Core {
namespace Operations {

class OperationContext;

// "Save document": saves the scene under its document path, asking for a path only
// when the scene has none yet.
//
// The operation reaches the user through its observer (the document-saved observer),
// which it notifies twice at most: to choose a path (request ChoosePath; the observer
// answers with setPath(), or leaves the path empty when the user cancels) and, after
// saving, to report the result (request ReportResult; the observer sets the window
// title or shows the error box).
class SaveDocumentOperation : public Operation
{
public:
    enum class Request { None, ChoosePath, ReportResult };

    explicit SaveDocumentOperation(OperationContext &context);

    void execute() override;
    void cancel() override;
    void end() override;

    Request getRequest() const { return request; }
    void setPath(const QString &p) { path = p; }
    QString getPath() const { return path; }
    // The outcome of the save; meaningful once ReportResult was requested.
    const Model::Persistence::DocumentFile::Result &getResult() const { return result; }
    bool hasSaved() const { return saved; }

protected:
    SaveDocumentOperation(OperationContext &context, std::string name, int32_t typeId);

    void askForPath();
    // Saves under `path` and reports the result to the observer.
    void save();

    OperationContext &context;

private:
    QString path;
    Request request = Request::None;
    Model::Persistence::DocumentFile::Result result;
    bool saved = false;
};

} // namespace Operations
} // namespace Core
