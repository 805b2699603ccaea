#pragma once

#include "Model/ModelExtraction/istructure.h"
#include "Model/ModelExtraction/rectangularcuboidenvelope.h"

namespace Model {
namespace ModelExtraction {

// Recognises one kind of structure among linked blocks.
class IModelRule
{
public:
    virtual ~IModelRule() = default;
    virtual StructurePtr apply(const BlockList &blocks) = 0;
};

} // namespace ModelExtraction
} // namespace Model
