#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/quadface.h"

#include <gtest/gtest.h>
#include <stdexcept>

using Model::Geometry::BSPTree;
using Model::Geometry::QuadFace;
using Util::Vector3D;
using Util::Vector4D;

namespace {

const float kBlue[4] = {0.0f, 0.0f, 1.0f, 0.5f};

// The +z face of cell (0, 0, z) of a unit grid: a horizontal quad in the plane z + 1.
QuadFace topFace(int z, int32_t material = 1)
{
    return QuadFace(QuadFace::PlusZ, 0, 0, z, 1.0f, 1.0f, 1.0f, kBlue, material);
}

// Height of the plane a face lies in, for faces parallel to z = 0.
float heightOf(const QuadFace &f) { return f.corner(0)[2]; }

} // namespace

TEST(BSPTree, ParallelFacesAreOrderedFarthestFirstFromEitherSide)
{
    // Planes z = 3, 1, 4, 2 in that order; the first face defines the root.
    const std::vector<QuadFace> faces = {topFace(2), topFace(0), topFace(3), topFace(1)};
    const BSPTree tree(faces);
    EXPECT_EQ(tree.getPlane(), Vector4D(0, 0, 1, -3));
    EXPECT_EQ(tree.getFaces(), std::vector<uint32_t>{0});
    ASSERT_TRUE(tree.getFront());
    ASSERT_TRUE(tree.getBack());
    EXPECT_EQ(tree.getFront()->getFaces(), std::vector<uint32_t>{2}); // z = 4 is in front
    EXPECT_EQ(tree.nodeCount(), 4u);

    auto heights = [&faces](const std::vector<uint32_t> &order) {
        std::vector<float> h;
        for (uint32_t i : order)
            h.push_back(heightOf(faces[i]));
        return h;
    };
    // From above, the lowest face is farthest; from below, the highest.
    EXPECT_EQ(heights(tree.backToFrontOrder(Vector3D(0.5, 0.5, 10))), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(heights(tree.backToFrontOrder(Vector3D(0.5, 0.5, -10))), (std::vector<float>{4, 3, 2, 1}));
    // Between the planes each side is drawn farthest first (a ray from the eye meets
    // only one side, so the sides' relative order does not matter).
    EXPECT_EQ(heights(tree.backToFrontOrder(Vector3D(0.5, 0.5, 2.5))), (std::vector<float>{4, 3, 1, 2}));
    // An eye lying in the root's plane (within the tolerance) is treated as in front.
    EXPECT_EQ(heights(tree.backToFrontOrder(Vector3D(0.5, 0.5, 3 + 5e-6))),
              heights(tree.backToFrontOrder(Vector3D(0.5, 0.5, 3.5))));
}

TEST(BSPTree, CoplanarFacesShareTheirNodeInListOrder)
{
    // Two faces of the plane z = 1 with opposite normals and one elsewhere on that plane.
    std::vector<QuadFace> faces;
    faces.push_back(topFace(0));
    faces.push_back(QuadFace(QuadFace::PlusX, 3, 0, 0, 1, 1, 1, kBlue, 1));  // plane x = 4
    faces.push_back(QuadFace(QuadFace::MinusZ, 0, 0, 1, 1, 1, 1, kBlue, 2)); // plane z = 1, facing down
    faces.push_back(QuadFace(QuadFace::PlusZ, 5, 5, 0, 1, 1, 1, kBlue, 3));
    const BSPTree tree(faces);
    EXPECT_EQ(tree.getFaces(), (std::vector<uint32_t>{0, 2, 3}));
    ASSERT_TRUE(tree.getBack());
    EXPECT_FALSE(tree.getFront());
    EXPECT_EQ(tree.getBack()->getFaces(), std::vector<uint32_t>{1});
    EXPECT_EQ(tree.getBack()->getPlane(), Vector4D(1, 0, 0, -4));
}

TEST(BSPTree, StraddlingFaceStopsTheBuild)
{
    // A vertical quad crossing the plane z = 0.5 of the first face.
    const float h1[3] = {0, 0, 0.5f}, h2[3] = {1, 0, 0.5f}, h3[3] = {1, 1, 0.5f}, h4[3] = {0, 1, 0.5f};
    const float v1[3] = {0.5f, 0, 0}, v2[3] = {0.5f, 1, 0}, v3[3] = {0.5f, 1, 1}, v4[3] = {0.5f, 0, 1};
    std::vector<QuadFace> faces;
    faces.push_back(QuadFace(h1, h2, h3, h4, kBlue, kBlue, QuadFace::PlusZ, 1));
    faces.push_back(QuadFace(v1, v2, v3, v4, kBlue, kBlue, QuadFace::PlusX, 1));
    try {
        const BSPTree tree(faces);
        FAIL() << "a straddling face was accepted";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Method not implemented!");
    }

    // Reaching the plane only within the tolerance is not straddling.
    const float a1[3] = {0.5f, 0, 0.5f - 4e-6f}, a2[3] = {0.5f, 1, 0.5f - 4e-6f};
    faces.pop_back();
    faces.push_back(QuadFace(a1, a2, v3, v4, kBlue, kBlue, QuadFace::PlusX, 1));
    const BSPTree touching(faces);
    ASSERT_TRUE(touching.getFront());
    EXPECT_EQ(touching.getFront()->getFaces(), std::vector<uint32_t>{1});
}

TEST(BSPTree, LongChainOfPlanesBuildsTraversesAndFreesWithoutRecursion)
{
    // Every face lies in front of all earlier ones: one level per face.
    const int n = 3000;
    std::vector<QuadFace> faces;
    faces.reserve(n);
    for (int z = 0; z < n; ++z)
        faces.push_back(topFace(z));
    auto tree = std::make_unique<BSPTree>(faces);
    EXPECT_EQ(tree->depth(), static_cast<size_t>(n));
    const std::vector<uint32_t> fromBelow = tree->backToFrontOrder(Vector3D(0, 0, -1));
    ASSERT_EQ(fromBelow.size(), static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(fromBelow[i], static_cast<uint32_t>(n - 1 - i));

    // A subtree handed out survives the tree.
    std::shared_ptr<BSPTree> kept = tree->getFront()->getFront();
    tree.reset();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->depth(), static_cast<size_t>(n - 2));
}
