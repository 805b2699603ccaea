#pragma once

#include "Core/Operations/operation.h"

#include <QString>

namespace Core {
namespace Operations {

class OperationContext;

// "Open document": asks for a file and hands it to the document-opened observer, which
// opens it in a new main window; the window that asked is not changed.
//
// The observer is notified with request ChooseFile (it answers with setPath(), empty
// when the user cancels) and then with request OpenDocument. The material-conflict
// observer travels with the operation so that the reader can ask the user when a
// document material clashes with the catalogue.
class OpenDocumentOperation : public Operation
{
public:
    enum class Request { None, ChooseFile, OpenDocument };

    explicit OpenDocumentOperation(OperationContext &context);

    void execute() override;
    void cancel() override;
    void end() override;

    Request getRequest() const { return request; }
    void setPath(const QString &p) { path = p; }
    QString getPath() const { return path; }

    void setMaterialConflictObserver(Util::ObserverPtr o) { conflictObserver = std::move(o); }
    Util::ObserverPtr getMaterialConflictObserver() const { return conflictObserver; }

    // Where the next file dialog starts: the document opened last in this program run,
    // the user's home folder before that.
    static QString startLocation();

private:
    OperationContext &context;
    QString path;
    Request request = Request::None;
    Util::ObserverPtr conflictObserver;
};

} // namespace Operations
} // namespace Core
