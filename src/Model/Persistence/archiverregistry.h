#pragma once

#include "Model/Persistence/objectarchiver.h"

#include <map>

namespace Model {
namespace Persistence {

// Object kind -> the archiver that stores that kind of object. Holds the cell volume
// archiver from the start; other kinds have none until registered.
class ArchiverRegistry
{
public:
    ArchiverRegistry();

    // Null for a kind without an archiver.
    ObjectArchiverPtr archiver(ObjectKind kind) const;
    void setArchiver(ObjectKind kind, ObjectArchiverPtr archiver);

private:
    std::map<ObjectKind, ObjectArchiverPtr> archivers;
};

} // namespace Persistence
} // namespace Model
