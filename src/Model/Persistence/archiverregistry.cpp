#include "Model/Persistence/archiverregistry.h"

#include "Model/Persistence/totalvolumearchiver.h"

namespace Model {
namespace Persistence {

ArchiverRegistry::ArchiverRegistry()
{
    archivers[ObjectKind::TotalVolume] = std::make_shared<TotalVolumeArchiver>();
}

ObjectArchiverPtr ArchiverRegistry::archiver(ObjectKind kind) const
{
    const auto it = archivers.find(kind);
    return it == archivers.end() ? nullptr : it->second;
}

void ArchiverRegistry::setArchiver(ObjectKind kind, ObjectArchiverPtr archiver)
{
    if (archiver)
        archivers[kind] = std::move(archiver);
    else
        archivers.erase(kind);
}

} // namespace Persistence
} // namespace Model
