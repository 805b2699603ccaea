#include "Model/Geometry/bsptree.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace Model {
namespace Geometry {

namespace {

double signedDistance(const Util::Vector4D &p, const float *c)
{
    return p.x * c[0] + p.y * c[1] + p.z * c[2] + p.w;
}

} // namespace

BSPTree::BSPTree(const std::vector<QuadFace> &list)
{
    try {
        build(list);
    } catch (...) {
        releaseChildren();
        throw;
    }
}

BSPTree::~BSPTree()
{
    releaseChildren();
}

void BSPTree::releaseChildren()
{
    // Deep trees (one level per distinct plane) would otherwise be torn down by nested
    // destructor calls; detach children of nodes owned only by this tree first.
    std::vector<std::shared_ptr<BSPTree>> pending;
    if (front)
        pending.push_back(std::move(front));
    if (back)
        pending.push_back(std::move(back));
    while (!pending.empty()) {
        std::shared_ptr<BSPTree> node = std::move(pending.back());
        pending.pop_back();
        if (node.use_count() == 1) {
            if (node->front)
                pending.push_back(std::move(node->front));
            if (node->back)
                pending.push_back(std::move(node->back));
        }
    }
}

BSPTree::Side BSPTree::classify(const Util::Vector4D &p, double x, double y, double z)
{
    const double s = p.x * x + p.y * y + p.z * z + p.w;
    if (s > tolerance)
        return Front;
    if (s < -tolerance)
        return Back;
    return OnPlane;
}

void BSPTree::build(const std::vector<QuadFace> &list)
{
    if (list.empty())
        throw std::invalid_argument("BSPTree: no faces");
    if (list.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("BSPTree: too many faces");

    // All pending lists live in one index buffer: a node's pending list is a range of it,
    // and its children's lists are written back into that range (front part, then back
    // part), keeping the faces' order.
    std::vector<uint32_t> work(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        work[i] = static_cast<uint32_t>(i);
    std::vector<uint32_t> frontScratch;
    std::vector<uint32_t> backScratch;

    struct Pending
    {
        BSPTree *node;
        size_t begin;
        size_t end;
    };
    std::vector<Pending> stack;
    stack.push_back({this, 0, work.size()});

    while (!stack.empty()) {
        const Pending job = stack.back();
        stack.pop_back();
        BSPTree *node = job.node;

        const QuadFace &first = list[work[job.begin]];
        const float *n = first.getNormal();
        const float *c1 = first.corner(0);
        node->plane = Util::Vector4D(n[0], n[1], n[2],
                                     -(double(n[0]) * c1[0] + double(n[1]) * c1[1] + double(n[2]) * c1[2]));
        node->faces.push_back(work[job.begin]);

        frontScratch.clear();
        backScratch.clear();
        for (size_t k = job.begin + 1; k < job.end; ++k) {
            const uint32_t index = work[k];
            const QuadFace &f = list[index];
            bool above = false;
            bool below = false;
            for (int c = 0; c < 4; ++c) {
                const double s = signedDistance(node->plane, f.corner(c));
                above |= s > tolerance;
                below |= s < -tolerance;
            }
            if (above && below)
                throw std::runtime_error("Method not implemented!");
            if (above)
                frontScratch.push_back(index);
            else if (below)
                backScratch.push_back(index);
            else
                node->faces.push_back(index);
        }

        const size_t frontBegin = job.begin;
        const size_t backBegin = frontBegin + frontScratch.size();
        const size_t backEnd = backBegin + backScratch.size();
        std::copy(frontScratch.begin(), frontScratch.end(), work.begin() + frontBegin);
        std::copy(backScratch.begin(), backScratch.end(), work.begin() + backBegin);
        if (!backScratch.empty()) {
            node->back = std::make_shared<BSPTree>(NodeTag());
            stack.push_back({node->back.get(), backBegin, backEnd});
        }
        if (!frontScratch.empty()) {
            node->front = std::make_shared<BSPTree>(NodeTag());
            stack.push_back({node->front.get(), frontBegin, backBegin});
        }
    }
}

std::vector<uint32_t> BSPTree::backToFrontOrder(const Util::Vector3D &eye) const
{
    std::vector<uint32_t> order;
    backToFront(eye, [&order](const std::vector<uint32_t> &nodeFaces) {
        order.insert(order.end(), nodeFaces.begin(), nodeFaces.end());
    });
    return order;
}

size_t BSPTree::nodeCount() const
{
    size_t count = 0;
    std::vector<const BSPTree *> stack{this};
    while (!stack.empty()) {
        const BSPTree *node = stack.back();
        stack.pop_back();
        ++count;
        if (node->front)
            stack.push_back(node->front.get());
        if (node->back)
            stack.push_back(node->back.get());
    }
    return count;
}

size_t BSPTree::depth() const
{
    size_t deepest = 0;
    std::vector<std::pair<const BSPTree *, size_t>> stack{{this, 1}};
    while (!stack.empty()) {
        const auto [node, level] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, level);
        if (node->front)
            stack.push_back({node->front.get(), level + 1});
        if (node->back)
            stack.push_back({node->back.get(), level + 1});
    }
    return deepest;
}

} // namespace Geometry
} // namespace Model
