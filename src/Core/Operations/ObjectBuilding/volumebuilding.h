#pragma once

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Where the contents of two volumes to be glued lie, in cells along z.
struct GlueContents
{
    // 1 + the highest z of any filled base cell (1 when the base is empty).
    uint32_t baseTop = 1;
    // The filled top cells lie in [topLow, topHigh); an empty top gives 0 and 0.
    uint32_t topLow = 0;
    uint32_t topHigh = 0;

    // Height of the base's content with the top's content set on it.
    uint32_t stackedHeight() const { return baseTop + (topHigh - topLow); }
};

// How the glued volume is laid out: its size, the top's displacement in cells, and
// whether the top is turned over (a half turn about the y axis).
struct GlueLayout
{
    uint32_t finalX = 0;
    uint32_t finalY = 0;
    uint32_t finalZ = 0;
    int32_t shiftX = 0;
    int32_t shiftY = 0;
    bool flip = false;
};

// Measures both contents, each under its volume's voxel mutex.
GlueContents measureGlueContents(Model::Automaton::TotalVolume &base, Model::Automaton::TotalVolume &top);

// The material ids of the glued volume in cell-index order: the base's content from
// z 0, the top's content directly on it. Cells that the layout would place outside the
// volume are left out. Runs on the global thread pool in slices of x layers, holding
// both volumes' voxel mutexes (base and top must be different volumes). Throws
// std::bad_alloc when the array cannot exist.
std::vector<uint32_t> glueMaterials(Model::Automaton::TotalVolume &base, Model::Automaton::TotalVolume &top,
                                    const GlueContents &contents, const GlueLayout &layout);

// The material ids of a volume of the source's size holding only the body of
// `materialId` that contains the first cell of it in index order (face neighbours
// connect), turned over about the x axis when `flip`, and moved down so that its lowest
// cell is at z 0. All 0 when the source holds no such cell.
std::vector<uint32_t> extractFilmMaterials(Model::Automaton::TotalVolume &source, uint32_t materialId, bool flip);

} // namespace Operations
} // namespace Core
