#pragma once

#include "Model/Materials/material.h"

#include <cstdint>
#include <mutex>

namespace Model {
namespace Materials {

// The four choices of the material conflict dialog, in the dialog's row order.
enum class MaterialConflictChoice {
    // "Replace loaded material by existing material.": loaded id -> existing id.
    ReplaceLoadedByExisting = 0,
    // "Replace existing material by loaded material": the loaded material replaces the
    // catalogue entry; loaded id -> itself.
    ReplaceExistingByLoaded = 1,
    // "Replace loaded material by another existing material": loaded id -> replacementId.
    ReplaceLoadedByOther = 2,
    // "Add loaded material as a new material": a fresh id, added; loaded id -> fresh id.
    AddLoadedAsNew = 3,
};

// The process-wide pending material conflict, shared between the document reconciliation
// (MaterialReconciler) and the conflict observer (the material conflict dialog). The reconciler
// begins a conflict, notifies the observer, whose update() reads existing() and loaded()
// and calls settle() (or leaves it unsettled when cancelled); the reconciler then applies
// the choice. Documents are opened on the user-interface thread only; the mutex just keeps
// single accesses consistent and is never held while an observer runs.
class MaterialConflict
{
public:
    // The process-wide state.
    static MaterialConflict &pending();

    // Starts a conflict: stores both materials and marks it unsettled.
    void begin(const Material &existing, const Material &loaded);
    // Records the user's choice; replacementId is used by ReplaceLoadedByOther only.
    void settle(MaterialConflictChoice choice, uint32_t replacementId = 0);
    // Back to no conflict: empty materials, unsettled.
    void clear();

    bool isActive() const;
    Material existing() const;
    Material loaded() const;
    bool isSettled() const;
    MaterialConflictChoice choice() const;
    uint32_t replacementId() const;

    MaterialConflict(const MaterialConflict &) = delete;
    MaterialConflict &operator=(const MaterialConflict &) = delete;

private:
    MaterialConflict() = default;

    mutable std::mutex mutex;
    bool active = false;
    Material existingMaterial;
    Material loadedMaterial;
    bool settled = false;
    MaterialConflictChoice chosen = MaterialConflictChoice::ReplaceLoadedByExisting;
    uint32_t replacement = 0;
};

} // namespace Materials
} // namespace Model
