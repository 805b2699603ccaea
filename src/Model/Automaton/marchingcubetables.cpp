#include "Model/Automaton/marchingcubetables.h"

#include <algorithm>
#include <stdexcept>

namespace Model {
namespace Automaton {
namespace MarchingCubeTables {

const int cornerOffset[8][3] = {
    {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 1}, {1, 1, 1}, {1, 0, 1}, {0, 0, 1},
};

const int edgeCorner[12][2] = {
    {0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};

namespace {

// The case table is derived from the cube's geometry rather than written out by hand.
//
// For a corner pattern, the surface inside the cube meets the cube's six faces in
// segments between the points of the crossed edges (one point per edge, at its middle).
// Each face is walked once around its four corners, counter-clockwise seen from outside
// the cube. Where the walk passes from an empty corner to a solid one it "enters" at the
// crossed edge, and where it passes from solid to empty it "leaves". Every segment runs
// from an entering point to the next leaving point along the walk. With two crossed edges
// on a face that is the only choice. With four (the two solid corners lie diagonally)
// it cuts each solid corner off by itself, so two solid cells that touch only along an
// edge are kept apart. The choice depends on the face's four corners alone and is the
// same when the face is walked from the neighbouring cube (the other way round, with
// entering and leaving swapped), so the two cubes put the same segments on their shared
// face, in opposite directions, and the surface closes.
//
// An edge belongs to two faces, which walk it in opposite directions: its point is
// entered on one and left on the other, so every point has one successor and the
// segments link into closed loops. Each loop is fanned into triangles from its first
// point. The direction (entering towards leaving) makes the loop run counter-clockwise
// seen from the empty side, so the triangles face out of the solid.

struct Face
{
    int corners[4]; // counter-clockwise seen from outside
    int edges[4];   // edges[i] joins corners[i] and corners[(i + 1) % 4]
};

int edgeBetween(int a, int b)
{
    for (int e = 0; e < 12; ++e)
        if ((edgeCorner[e][0] == a && edgeCorner[e][1] == b) || (edgeCorner[e][0] == b && edgeCorner[e][1] == a))
            return e;
    throw std::logic_error("cube corners without an edge");
}

// The six faces with their corners in walking order, from the corner offsets.
std::array<Face, 6> makeFaces()
{
    std::array<Face, 6> faces{};
    int f = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3;
        const int v = (axis + 2) % 3;
        for (int side = 0; side < 2; ++side) {
            // Around the face in (u, v): (0,0), (1,0), (1,1), (0,1) turns counter-
            // clockwise about +axis; the face on the low side looks down -axis, so it
            // walks the other way.
            static const int around[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            Face &face = faces[f++];
            for (int i = 0; i < 4; ++i) {
                const int k = side == 1 ? i : 3 - i;
                for (int c = 0; c < 8; ++c)
                    if (cornerOffset[c][axis] == side && cornerOffset[c][u] == around[k][0] &&
                        cornerOffset[c][v] == around[k][1])
                        face.corners[i] = c;
            }
            for (int i = 0; i < 4; ++i)
                face.edges[i] = edgeBetween(face.corners[i], face.corners[(i + 1) % 4]);
        }
    }
    return faces;
}

Case makeCase(int pattern, const std::array<Face, 6> &faces)
{
    auto solid = [pattern](int corner) { return (pattern >> corner & 1) != 0; };
    Case result;
    int next[12];
    std::fill(next, next + 12, -1);
    for (int e = 0; e < 12; ++e)
        if (solid(edgeCorner[e][0]) != solid(edgeCorner[e][1]))
            result.edges = static_cast<uint16_t>(result.edges | 1u << e);

    for (const Face &face : faces) {
        for (int i = 0; i < 4; ++i) {
            const bool entering = !solid(face.corners[i]) && solid(face.corners[(i + 1) % 4]);
            if (!entering)
                continue;
            for (int j = 1; j < 4; ++j) {
                const int k = (i + j) % 4;
                if (solid(face.corners[k]) && !solid(face.corners[(k + 1) % 4])) {
                    if (next[face.edges[i]] != -1)
                        throw std::logic_error("edge point entered twice");
                    next[face.edges[i]] = face.edges[k];
                    break;
                }
            }
        }
    }

    bool used[12] = {};
    int count = 0;
    for (int start = 0; start < 12; ++start) {
        if (!(result.edges >> start & 1) || used[start])
            continue;
        int loop[12];
        int length = 0;
        for (int e = start; !used[e]; e = next[e]) {
            if (e < 0)
                throw std::logic_error("open loop");
            used[e] = true;
            loop[length++] = e;
        }
        if (loop[0] != start || next[loop[length - 1]] != start || length < 3)
            throw std::logic_error("malformed loop");
        for (int i = 1; i + 1 < length; ++i) {
            if (count == maxTriangles)
                throw std::logic_error("too many triangles");
            result.triangleEdges[3 * count] = static_cast<int8_t>(loop[0]);
            result.triangleEdges[3 * count + 1] = static_cast<int8_t>(loop[i]);
            result.triangleEdges[3 * count + 2] = static_cast<int8_t>(loop[i + 1]);
            ++count;
        }
    }
    result.triangleCount = static_cast<uint8_t>(count);
    return result;
}

std::array<Case, 256> makeCases()
{
    const std::array<Face, 6> faces = makeFaces();
    std::array<Case, 256> table{};
    for (int pattern = 0; pattern < 256; ++pattern)
        table[static_cast<size_t>(pattern)] = makeCase(pattern, faces);
    return table;
}

} // namespace

const std::array<Case, 256> &cases()
{
    static const std::array<Case, 256> table = makeCases();
    return table;
}

} // namespace MarchingCubeTables
} // namespace Automaton
} // namespace Model
