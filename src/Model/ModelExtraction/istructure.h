#pragma once

#include <QString>
#include <memory>

namespace Model {
namespace ModelExtraction {

// A model found in a volume's blocks, able to describe itself as a circuit netlist.
class IStructure
{
public:
    virtual ~IStructure() = default;
    virtual QString netlist() const = 0;
};

using StructurePtr = std::shared_ptr<IStructure>;

} // namespace ModelExtraction
} // namespace Model
