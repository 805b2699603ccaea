#pragma once

#include "Model/ModelExtraction/celllengths.h"
#include "Model/ModelExtraction/imodelrule.h"

namespace Model {
namespace ModelExtraction {

// Finds free-standing beams: a block that is not silicon, touches exactly one other block
// and that one sideways, is a beam's tip. From the tip the beam runs away from the free
// end through blocks of its material that touch only the block before and the block
// after; those blocks are merged into one cuboid, the beam.
class CantileverModelRule : public IModelRule
{
public:
    // `cell`: the blocks' cell in metres, which the structure's netlist is computed with.
    explicit CantileverModelRule(const CellLengths &cell) : cell(cell) {}

    // A CantileverStructure of the beams found, or null when there is none.
    StructurePtr apply(const BlockList &blocks) override;
    const BlockList &getBeams() const { return beams; }

private:
    CellLengths cell;
    BlockList beams;
};

} // namespace ModelExtraction
} // namespace Model
