#include "Model/Materials/materialconflict.h"

#include <QMutexLocker>

namespace Model {
namespace Materials {

MaterialConflict &MaterialConflict::pending()
{
    static MaterialConflict state;
    return state;
}

void MaterialConflict::begin(const Material &existing, const Material &loaded)
{
    QMutexLocker lock(&mutex);
    active = true;
    existingMaterial = existing;
    loadedMaterial = loaded;
    settled = false;
    chosen = MaterialConflictChoice::ReplaceLoadedByExisting;
    replacement = 0;
}

void MaterialConflict::settle(MaterialConflictChoice choice, uint32_t replacementId)
{
    QMutexLocker lock(&mutex);
    settled = true;
    chosen = choice;
    replacement = replacementId;
}

void MaterialConflict::clear()
{
    QMutexLocker lock(&mutex);
    active = false;
    existingMaterial = Material::empty();
    loadedMaterial = Material::empty();
    settled = false;
    chosen = MaterialConflictChoice::ReplaceLoadedByExisting;
    replacement = 0;
}

bool MaterialConflict::isActive() const
{
    QMutexLocker lock(&mutex);
    return active;
}

Material MaterialConflict::existing() const
{
    QMutexLocker lock(&mutex);
    return existingMaterial;
}

Material MaterialConflict::loaded() const
{
    QMutexLocker lock(&mutex);
    return loadedMaterial;
}

bool MaterialConflict::isSettled() const
{
    QMutexLocker lock(&mutex);
    return settled;
}

MaterialConflictChoice MaterialConflict::choice() const
{
    QMutexLocker lock(&mutex);
    return chosen;
}

uint32_t MaterialConflict::replacementId() const
{
    QMutexLocker lock(&mutex);
    return replacement;
}

} // namespace Materials
} // namespace Model
