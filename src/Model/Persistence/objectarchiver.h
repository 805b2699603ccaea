#pragma once

#include "Model/Materials/materialreconciler.h"
#include "Model/object.h"

#include <memory>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {
namespace Persistence {

// Writes and reads one kind of scene object as an "Object" element of a document.
// One archiver object serves a whole context; its writer, reader and id map are set
// anew before each use and are never owned.
class ObjectArchiver
{
public:
    virtual ~ObjectArchiver() = default;

    virtual void setWriter(QXmlStreamWriter *writer) = 0;
    virtual void setReader(QXmlStreamReader *reader) = 0;
    // Document material id -> catalogue id, applied to what read() returns; may be null.
    virtual void setMaterialIdMap(const Materials::MaterialIdMap *map) = 0;
    // Writes the object's element. False when the output device refused data that went
    // to it directly (errors of the writer itself show in its hasError()).
    virtual bool write(const ObjectPtr &object) = 0;
    // Called with the reader on the "Object" start element; leaves it on the matching
    // end element. Null when nothing could be read; a damaged element is reported
    // through the reader's raiseError().
    virtual ObjectPtr read() = 0;
};

using ObjectArchiverPtr = std::shared_ptr<ObjectArchiver>;

} // namespace Persistence
} // namespace Model
