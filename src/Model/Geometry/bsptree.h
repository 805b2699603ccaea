#pragma once

#include "Model/Geometry/quadface.h"
#include "Util/vector3d.h"
#include "Util/vector4d.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Model {
namespace Geometry {

// Binary space partitioning of a list of faces, for drawing translucent faces back to
// front. Each node is a plane (a, b, c, d) taken from the first face of its pending list
// ((a, b, c) the face normal, d = -(normal . corner1)), the faces lying in that plane
// and the subtrees in front of and behind it.
//
// Nodes refer to faces by their index in the list the tree was built from, so the tree
// always draws the current colours of that list; the list must outlive its use with the
// tree and keep its order.
class BSPTree
{
    // Only the build makes empty nodes.
    struct NodeTag
    {
    };

public:
    // Distance within which a corner or the eye counts as lying in a plane.
    static constexpr double tolerance = 1e-5;

    enum Side { Front, Back, OnPlane };

    // Builds the whole tree over `faces` without recursion. Throws std::runtime_error
    // "Method not implemented!" when a face has corners on both sides of a node's plane
    // (splitting faces is not supported; faces of the cell grid never straddle).
    // `faces` must not be empty.
    explicit BSPTree(const std::vector<QuadFace> &faces);
    ~BSPTree();

    explicit BSPTree(NodeTag) {}

    BSPTree(const BSPTree &) = delete;
    BSPTree &operator=(const BSPTree &) = delete;

    const Util::Vector4D &getPlane() const { return plane; }
    const std::vector<uint32_t> &getFaces() const { return faces; }
    std::shared_ptr<BSPTree> getFront() const { return front; }
    std::shared_ptr<BSPTree> getBack() const { return back; }

    // Where `point` lies with respect to `plane`, with the tolerance above.
    static Side classify(const Util::Vector4D &plane, double x, double y, double z);

    // Calls visit(const std::vector<uint32_t> &faceIndices) for every node, farthest
    // from `eye` first: a node whose plane has the eye behind it visits front subtree,
    // own faces, back subtree; otherwise back, own, front. Uses an explicit stack.
    template <typename Visit>
    void backToFront(const Util::Vector3D &eye, Visit &&visit) const;

    // The face indices in back-to-front order from `eye`.
    std::vector<uint32_t> backToFrontOrder(const Util::Vector3D &eye) const;

    // Number of nodes and the deepest path, for diagnostics and tests.
    size_t nodeCount() const;
    size_t depth() const;

private:
    void build(const std::vector<QuadFace> &list);
    // Releases the subtrees without nested destructor calls.
    void releaseChildren();

    Util::Vector4D plane;
    std::vector<uint32_t> faces;
    std::shared_ptr<BSPTree> front;
    std::shared_ptr<BSPTree> back;
};

template <typename Visit>
void BSPTree::backToFront(const Util::Vector3D &eye, Visit &&visit) const
{
    // An entry either expands a node into (far subtree, own faces, near subtree) or, when
    // `emitFaces` is set, hands the node's own faces to the visitor.
    struct Entry
    {
        const BSPTree *node;
        bool emitFaces;
    };
    std::vector<Entry> stack;
    stack.reserve(64);
    stack.push_back({this, false});
    while (!stack.empty()) {
        const Entry e = stack.back();
        stack.pop_back();
        if (e.emitFaces) {
            visit(e.node->faces);
            continue;
        }
        const bool eyeBehind = classify(e.node->plane, eye.x, eye.y, eye.z) == Back;
        const BSPTree *first = eyeBehind ? e.node->front.get() : e.node->back.get();
        const BSPTree *second = eyeBehind ? e.node->back.get() : e.node->front.get();
        // Pushed in reverse: `first` comes off the stack first.
        if (second)
            stack.push_back({second, false});
        stack.push_back({e.node, true});
        if (first)
            stack.push_back({first, false});
    }
}

} // namespace Geometry
} // namespace Model
