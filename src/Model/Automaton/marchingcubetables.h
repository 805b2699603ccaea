#pragma once

#include <array>
#include <cstdint>

namespace Model {
namespace Automaton {
namespace MarchingCubeTables {

// Corner i of the cube at cell (x, y, z) is cell (x, y, z) + cornerOffset[i].
extern const int cornerOffset[8][3];
// Edge e joins corners edgeCorner[e][0] (its first corner) and edgeCorner[e][1].
extern const int edgeCorner[12][2];

// At most ten triangles: twelve edge points in at least one loop of three or more.
constexpr int maxTriangles = 10;

// One of the 256 corner patterns (bit i set when corner i is solid).
struct Case
{
    // Bit e set when edge e joins a solid and an empty corner.
    uint16_t edges = 0;
    uint8_t triangleCount = 0;
    // Edge indices, three per triangle, wound so that (Q - P) x (R - P) points from
    // the solid corners towards the empty ones.
    int8_t triangleEdges[3 * maxTriangles] = {};
};

// The table of all 256 cases, built on first use.
const std::array<Case, 256> &cases();

} // namespace MarchingCubeTables
} // namespace Automaton
} // namespace Model
