#include "Model/Persistence/archiverregistry.h"

#include "Model/Persistence/totalvolumearchiver.h"

namespace Model {
namespace Persistence {

ArchiverRegistry::ArchiverRegistry()
{
    archivers[1] = std::make_shared<TotalVolumeArchiver>();
}

ObjectArchiverPtr ArchiverRegistry::archiver(int typeCode) const
{
    const auto it = archivers.find(typeCode);
    return it == archivers.end() ? nullptr : it->second;
}

void ArchiverRegistry::setArchiver(int typeCode, ObjectArchiverPtr archiver)
{
    if (archiver)
        archivers[typeCode] = std::move(archiver);
    else
        archivers.erase(typeCode);
}

} // namespace Persistence
} // namespace Model
