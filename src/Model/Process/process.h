#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace Model {
namespace Process {

// A kind of process and the materials it may act on. Id 0 means no process.
struct Process
{
    QString name;
    int32_t id = 0;
    std::vector<uint32_t> compatibleMaterials;
};

} // namespace Process
} // namespace Model
