#include "Model/Materials/materialreconciler.h"

#include "Model/Materials/materialfactory.h"

#include <utility>

namespace Model {
namespace Materials {

const char *const MaterialReconciler::LoadErrorMessage =
    "WARNING: There was an error loading a material. This may alter the loaded cell volume.";

MaterialReconciler::MaterialReconciler(Util::ObserverPtr conflictObserver, ConsoleMessage console)
    : observer(std::move(conflictObserver)), console(std::move(console))
{
}

MaterialReconciler::Outcome MaterialReconciler::reconcile(const QXmlStreamReader &reader,
                                                          MaterialIdMap &idMap) const
{
    Material loaded;
    MaterialFactory::readMaterialElement(reader, &loaded);
    return reconcile(loaded, idMap);
}

MaterialReconciler::Outcome MaterialReconciler::reconcile(const Material &loaded,
                                                          MaterialIdMap &idMap) const
{
    // 1. Invalid element.
    if (loaded.id == 0 || loaded.name.isEmpty()) {
        if (console)
            console(LoadErrorMessage);
        return Outcome::Invalid;
    }

    // 2. Look-ups (the catalogue never holds id 0, so id 0 means "not found").
    const auto catalogue = MaterialFactory::instance();
    const Material byId = catalogue->getMaterial(loaded.id);
    const Material byName = catalogue->getMaterialByName(loaded.name);
    const bool foundById = byId.id != 0;
    const bool foundByName = byName.id != 0;

    // 3. Neither found.
    if (!foundById && !foundByName) {
        catalogue->setMaterial(loaded);
        idMap[loaded.id] = loaded.id;
        return Outcome::Added;
    }
    if (foundById) {
        // 4. Same id, same name.
        if (byId.name == loaded.name) {
            idMap[loaded.id] = loaded.id;
            return Outcome::Identical;
        }
        // 5. Same id, another name.
        return resolveConflict(byId, loaded, idMap);
    }
    // 6. Found by name only.
    idMap[loaded.id] = byName.id;
    return Outcome::MatchedByName;
}

MaterialReconciler::Outcome MaterialReconciler::resolveConflict(const Material &existing,
                                                                const Material &loaded,
                                                                MaterialIdMap &idMap) const
{
    MaterialConflict &conflict = MaterialConflict::pending();
    conflict.begin(existing, loaded);
    if (observer)
        observer->update();
    const bool settled = conflict.isSettled();
    const MaterialConflictChoice choice = conflict.choice();
    const uint32_t replacementId = conflict.replacementId();
    conflict.clear();

    if (!settled)
        return addAsNew(loaded, idMap, Outcome::UnsettledAddedAsNew);

    const auto catalogue = MaterialFactory::instance();
    switch (choice) {
    case MaterialConflictChoice::ReplaceLoadedByExisting:
        idMap[loaded.id] = existing.id;
        return Outcome::LoadedByExisting;
    case MaterialConflictChoice::ReplaceExistingByLoaded:
        catalogue->setMaterial(loaded);
        idMap[loaded.id] = loaded.id;
        return Outcome::ExistingByLoaded;
    case MaterialConflictChoice::ReplaceLoadedByOther:
        // The dialog offers catalogue entries only; an id outside the catalogue counts as
        // not settled rather than mapping cells to an unknown material.
        if (replacementId == 0 || catalogue->getMaterial(replacementId).id == 0)
            return addAsNew(loaded, idMap, Outcome::UnsettledAddedAsNew);
        idMap[loaded.id] = replacementId;
        return Outcome::LoadedByOther;
    case MaterialConflictChoice::AddLoadedAsNew:
        return addAsNew(loaded, idMap, Outcome::AddedAsNew);
    }
    return addAsNew(loaded, idMap, Outcome::UnsettledAddedAsNew);
}

MaterialReconciler::Outcome MaterialReconciler::addAsNew(Material loaded, MaterialIdMap &idMap,
                                                         Outcome outcome) const
{
    const auto catalogue = MaterialFactory::instance();
    const uint32_t documentId = loaded.id;
    loaded.id = catalogue->generateUniqueMaterialId();
    catalogue->setMaterial(loaded);
    idMap[documentId] = loaded.id;
    return outcome;
}

uint32_t MaterialReconciler::translate(const MaterialIdMap &idMap, uint32_t documentId)
{
    const auto it = idMap.find(documentId);
    return it == idMap.end() ? documentId : it->second;
}

} // namespace Materials
} // namespace Model
