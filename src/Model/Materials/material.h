#pragma once

#include <QString>
#include <cstdint>

namespace Model {
namespace Materials {

// One catalogue entry. Id 0 is the empty material.
struct Material
{
    uint32_t id = 0;
    QString name = QStringLiteral("Empty");
    float density = 0.0f;
    float youngModulus = 0.0f;
    float poissonRatio = 0.0f;
    // red, green, blue, alpha in 0..1
    float color[4] = {0.5f, 0.5f, 0.5f, 1.0f};

    static Material empty() { return Material(); }
};

} // namespace Materials
} // namespace Model
