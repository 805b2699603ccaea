#pragma once

#include "Model/Materials/material.h"

#include <QMap>
#include <QString>
#include <QXmlStreamReader>
#include <memory>
#include <mutex>
#include <vector>

namespace Model {
namespace Materials {

// The process-wide material catalogue, ordered by id, persisted in
// ~/Kelvane/materials.xml. Every public call holds the catalogue mutex.
class MaterialFactory
{
public:
    // Created on first use: loads the file, or installs the built-ins and saves them.
    static std::shared_ptr<MaterialFactory> instance();

    std::vector<Material> getMaterials() const;
    Material getMaterial(uint32_t id) const;
    Material getMaterialByName(const QString &name) const;
    bool setMaterial(const Material &material);
    uint32_t generateUniqueMaterialId() const;
    bool loadMaterials();
    // Writes through a temporary file, so a failed save leaves the previous file as it
    // was; on failure `error` (when given) receives the reason, for the user.
    bool saveMaterials(QString *error = nullptr) const;

    // The start-up sequence that instance() runs once: the catalogue is emptied, then
    // loadMaterials(); when that fails the built-ins are inserted and saveMaterials() is
    // called. Public so that tests can run it against a chosen home folder.
    void startUp();
    // The catalogue becomes exactly the built-in table (in memory only; nothing is saved).
    void resetToBuiltIns();
    // The id formula of generateUniqueMaterialId() for one value of qrand():
    // truncate(float((r & 0x7FFF) * 30767) * 2^-15) + 2000, in 2000..32766.
    static uint32_t idFromRandom(int random);

    // The built-in table (ids 1, 3..16).
    static std::vector<Material> builtInMaterials();
    static QString filePath();
    // Reads one "Material" element's attributes; valid when id != 0 and the name is set.
    static bool readMaterialElement(const QXmlStreamReader &reader, Material *material);
    // "#AARRGGBB" with each component truncated to 0..255.
    static QString colorToString(const float color[4]);

    MaterialFactory(const MaterialFactory &) = delete;
    MaterialFactory &operator=(const MaterialFactory &) = delete;

private:
    MaterialFactory() = default;
    // Inserts the built-ins, replacing entries with the same ids; others stay.
    void installBuiltIns();
    // Helpers for callers that already hold the mutex (it is not recursive).
    Material getMaterialUnlocked(uint32_t id) const;
    bool setMaterialUnlocked(const Material &material);

    mutable std::mutex mutex;
    QMap<uint32_t, Material> materials;
};

} // namespace Materials
} // namespace Model
