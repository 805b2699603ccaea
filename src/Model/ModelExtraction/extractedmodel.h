#pragma once

#include "Model/ModelExtraction/rectangularcuboidenvelope.h"
#include "Model/object.h"

namespace Model {
namespace ModelExtraction {

// Blocks shown in the scene while a model is extracted: each block a coloured box, block
// coordinates taken as world coordinates (cells of edge 1, layers 0.35355246 high),
// shifted by the model's displacement.
class ExtractedModel : public Object
{
public:
    explicit ExtractedModel(BlockList blocks) : blocks(std::move(blocks)) {}

    ObjectKind getType() const override { return ObjectKind::ExtractedModel; }
    void draw(bool surfaces, bool outlines, Util::Vector3D eye) override;
    void drawForPicking() override;
    // Not clonable.
    ObjectPtr clone() override { return nullptr; }
    void move(Util::Vector3D delta) override;
    void hook(const Util::Vector4D &, const Util::Vector4D &) override {}

    const BlockList &getBlocks() const { return blocks; }
    const float *getDisplacement() const { return displacement; }

    // The fill colours, taken in turn by the blocks of every paint.
    static const float palette[14][3];
    static constexpr double layerHeight = 0.35355246;

private:
    void emitBoxes(bool colored) const;

    BlockList blocks;
    float displacement[3] = {0.0f, 0.0f, 0.0f};
};

} // namespace ModelExtraction
} // namespace Model
