#pragma once

#include "Model/Materials/material.h"

#include <QMap>
#include <QMutex>
#include <QString>
#include <QXmlStreamReader>
#include <memory>
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
    bool saveMaterials() const;

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
    void installBuiltIns();

    mutable QMutex mutex;
    QMap<uint32_t, Material> materials;
};

} // namespace Materials
} // namespace Model
