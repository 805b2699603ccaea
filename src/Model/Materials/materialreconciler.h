#pragma once

#include "Model/Materials/material.h"
#include "Model/Materials/materialconflict.h"
#include "Util/iobserver.h"

#include <QXmlStreamReader>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace Model {
namespace Materials {

// Document material id -> catalogue material id. Cells read from a document are translated
// through it; ids without an entry stay as they are (see translate()).
using MaterialIdMap = std::map<uint32_t, uint32_t>;

// Reconciles the materials a document carries with the catalogue (the steps of Outcome below),
// one "Material" element at a time, for the document reader.
class MaterialReconciler
{
public:
    using ConsoleMessage = std::function<void(const std::string &)>;

    // What reconcile() did, for the caller's information (and tests).
    enum class Outcome {
        Invalid,            // step 1: not a valid material; console warning, nothing mapped
        Added,              // step 3: unknown id and name; added unchanged, id -> id
        Identical,          // step 4: same id and name in the catalogue; id -> id
        LoadedByExisting,   // step 5, first choice: id -> existing id (same id)
        ExistingByLoaded,   // step 5, second choice: catalogue entry replaced; id -> id
        LoadedByOther,      // step 5, third choice: id -> replacement id
        AddedAsNew,         // step 5, fourth choice: fresh id, added; id -> fresh id
        UnsettledAddedAsNew,// step 5, no observer or cancelled: as AddedAsNew
        MatchedByName,      // step 6: id -> catalogue id of the material with that name
    };

    static const char *const LoadErrorMessage;

    // conflictObserver may be null; console may be empty (messages are then dropped).
    MaterialReconciler(Util::ObserverPtr conflictObserver, ConsoleMessage console);

    // Reads the "Material" element the reader is positioned on (attributes only; the
    // reader is not advanced) and reconciles it, filling idMap.
    Outcome reconcile(const QXmlStreamReader &reader, MaterialIdMap &idMap) const;
    // The same for a material already read (step 1's validity check included).
    Outcome reconcile(const Material &loaded, MaterialIdMap &idMap) const;

    // The catalogue id for a document id: the mapped id, or the id itself when unmapped.
    static uint32_t translate(const MaterialIdMap &idMap, uint32_t documentId);

private:
    Outcome resolveConflict(const Material &existing, const Material &loaded,
                            MaterialIdMap &idMap) const;
    Outcome addAsNew(Material loaded, MaterialIdMap &idMap, Outcome outcome) const;

    Util::ObserverPtr observer;
    ConsoleMessage console;
};

} // namespace Materials
} // namespace Model
