#include "Model/ModelExtraction/cantilevermodelrule.h"

#include "Model/ModelExtraction/cantileverstructure.h"

#include <algorithm>

namespace Model {
namespace ModelExtraction {

namespace {

constexpr uint32_t silicon = 1;
constexpr int below = 4, above = 5;

} // namespace

StructurePtr CantileverModelRule::apply(const BlockList &blocks)
{
    beams.clear();
    for (const BlockPtr &tip : blocks) {
        if (tip->material == silicon || tip->getNeighbourCount() != 1 || tip->neighbour(below) ||
            tip->neighbour(above))
            continue;
        int face = 3;
        for (int f = 0; f < 3; ++f) {
            if (tip->neighbour(f)) {
                face = f;
                break;
            }
        }
        const int axis = face / 2;
        auto beam = std::make_shared<RectangularCuboidEnvelope>(tip->x, tip->y, tip->z, tip->sizeX, tip->sizeY,
                                                                tip->sizeZ, tip->material);
        for (const RectangularCuboidEnvelope *part = tip->neighbour(face);
             part && part->material == tip->material && part->getNeighbourCount() == 2 && part->neighbour(face);
             part = part->neighbour(face)) {
            if (axis == 0) {
                beam->x = std::min(beam->x, part->x);
                beam->sizeX += part->sizeX;
            } else {
                beam->y = std::min(beam->y, part->y);
                beam->sizeY += part->sizeY;
            }
        }
        beams.push_back(std::move(beam));
    }
    if (beams.empty())
        return nullptr;
    return std::make_shared<CantileverStructure>(beams, cell);
}

} // namespace ModelExtraction
} // namespace Model
