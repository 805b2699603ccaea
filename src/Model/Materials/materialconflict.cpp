#include "Model/Materials/materialconflict.h"

#include <mutex>

namespace Model {
namespace Materials {

MaterialConflict &MaterialConflict::pending()
{
    static MaterialConflict state;
    return state;
}

void MaterialConflict::begin(const Material &existing, const Material &loaded)
{
    std::lock_guard<std::mutex> lock(mutex);
    active = true;
    existingMaterial = existing;
    loadedMaterial = loaded;
    settled = false;
    chosen = MaterialConflictChoice::ReplaceLoadedByExisting;
    replacement = 0;
}

void MaterialConflict::settle(MaterialConflictChoice choice, uint32_t replacementId)
{
    std::lock_guard<std::mutex> lock(mutex);
    settled = true;
    chosen = choice;
    replacement = replacementId;
}

void MaterialConflict::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    active = false;
    existingMaterial = Material::empty();
    loadedMaterial = Material::empty();
    settled = false;
    chosen = MaterialConflictChoice::ReplaceLoadedByExisting;
    replacement = 0;
}

bool MaterialConflict::isActive() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return active;
}

Material MaterialConflict::existing() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return existingMaterial;
}

Material MaterialConflict::loaded() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return loadedMaterial;
}

bool MaterialConflict::isSettled() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return settled;
}

MaterialConflictChoice MaterialConflict::choice() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return chosen;
}

uint32_t MaterialConflict::replacementId() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return replacement;
}

} // namespace Materials
} // namespace Model
