#pragma once

#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/scene.h"

#include <QString>

namespace Model {
namespace Persistence {

// A document ("*.mem"): the material catalogue followed by every scene object that has
// an archiver, in one XML file without indentation.
//
// Saving goes through a QSaveFile: the previous file is replaced only once the whole new
// document has been written, so a failed or interrupted save leaves it as it was.
// Opening reads everything first and adds the objects to the scene only when the whole
// file was read; the file itself is never changed.
class DocumentFile
{
public:
    enum class Status {
        Ok,
        CannotOpen,  // the file could not be opened (detail: the system's reason)
        WriteFailed, // writing or committing the new file failed
        NotADocument,// no "Document" / "Header" at the start
        ReadFailed,  // malformed XML or an impossible object (detail: the reason)
    };

    struct Result
    {
        Status status = Status::Ok;
        QString detail;
        bool ok() const { return status == Status::Ok; }
    };

    // Message box texts.
    static const QString writeErrorTitle;  // "Error writing to file"
    static const QString writeErrorText;   // "Unable to save document to the specified file."
    static const QString readErrorTitle;   // "Error reading from file"
    // The body of the read error box for a result (the reason included).
    static QString readErrorText(const Result &result);

    // Writes the scene; on success the scene's name becomes the path.
    static Result save(Scene &scene, const QString &path, const ArchiverRegistry &archivers);
    // Reads the document into the scene (meant to be a new, empty one); on success the
    // scene's name becomes the path. Materials are reconciled with the catalogue by
    // `materials`; materials it adds stay in the catalogue even when the read fails.
    static Result open(const QString &path, Scene &scene, const ArchiverRegistry &archivers,
                       const Materials::MaterialReconciler &materials);
};

} // namespace Persistence
} // namespace Model
