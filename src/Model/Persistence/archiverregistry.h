#pragma once

#include "Model/Persistence/objectarchiver.h"

#include <map>

namespace Model {
namespace Persistence {

// Object type code -> the archiver that stores that kind of object. Holds the cell
// volume archiver under 1 from the start; other kinds have none until registered.
class ArchiverRegistry
{
public:
    ArchiverRegistry();

    // Null for a type code without an archiver.
    ObjectArchiverPtr archiver(int typeCode) const;
    void setArchiver(int typeCode, ObjectArchiverPtr archiver);

private:
    std::map<int, ObjectArchiverPtr> archivers;
};

} // namespace Persistence
} // namespace Model
