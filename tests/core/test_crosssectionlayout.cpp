// The layout of a cross-section picture before anything is drawn: cells in proportion
// while that can be drawn, thin cells still drawable, and cuts too large for a picture
// refused with the size they would need before the picture is allocated.
#include "Core/Operations/CrossSection/crosssectionimage.h"
#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

using Core::Operations::CrossSectionImage;
using Core::Operations::SectionPlane;
using Model::Automaton::TotalVolume;

namespace {

SectionPlane plane(int axis, uint32_t index)
{
    SectionPlane p;
    p.axis = axis;
    p.index = index;
    return p;
}

} // namespace

TEST(CrossSectionLayout, ThinCellsStayDrawableAndHugeCutsAreRefusedWithTheirSize)
{
    QString error;
    // Square cells: 60 columns of 10 pixels, to scale.
    TotalVolume square(60, 4, 30, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    ASSERT_TRUE(CrossSectionImage::fits(square, plane(1, 2), &error)) << error.toStdString();
    CrossSectionImage even(square, plane(1, 2));
    EXPECT_EQ(even.blockWidth(), 10);
    EXPECT_EQ(even.blockHeight(), 10);
    EXPECT_TRUE(even.toScale());

    // Cells 64 times thinner in z are still drawn in proportion: 64 x 1 pixels.
    TotalVolume flat(60, 4, 30, 1.0f, 1.0f, 1.0f / 64, Util::Vector3D());
    ASSERT_TRUE(CrossSectionImage::fits(flat, plane(1, 2), &error)) << error.toStdString();
    CrossSectionImage thin(flat, plane(1, 2));
    EXPECT_EQ(thin.blockWidth(), 64);
    EXPECT_EQ(thin.blockHeight(), 1);
    EXPECT_TRUE(thin.toScale());

    // Cells of 1e-5 in z would need 100000 pixels across per cell in proportion: the
    // picture keeps its usual width (600 pixels for 100 columns) and one pixel per row,
    // and says it is not to scale. The same from above, where z is not shown, is square.
    TotalVolume film(100, 5, 100, 1.0f, 1.0f, 1e-5f, Util::Vector3D());
    for (int axis : {0, 1}) {
        ASSERT_TRUE(CrossSectionImage::fits(film, plane(axis, 3), &error)) << error.toStdString();
        CrossSectionImage cut(film, plane(axis, 3));
        EXPECT_EQ(cut.blockWidth() * cut.columns(), 600) << axis;
        EXPECT_EQ(cut.blockHeight(), 1) << axis;
        EXPECT_FALSE(cut.toScale()) << axis;
    }
    CrossSectionImage above(film, plane(2, 0));
    EXPECT_EQ(above.blockWidth(), 6);
    EXPECT_EQ(above.blockHeight(), 6);
    EXPECT_TRUE(above.toScale());

    // A cut of 20000 cells in a row needs 20000 pixels even at one pixel per cell: refused
    // before anything is drawn, with the size it would need.
    TotalVolume row(20000, 1, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    EXPECT_FALSE(CrossSectionImage::fits(row, plane(1, 0), &error));
    EXPECT_EQ(error, "a picture of the cut at y = 0 (20000 x 2 cells) would need 20000 x 2 pixels for its cells, "
                     "more than the 16384 pixels a side and 64 megapixels a picture may have");
    // Seen along x it is 1 x 2 cells, and fine.
    EXPECT_TRUE(CrossSectionImage::fits(row, plane(0, 19999), &error));
    // A plane outside still says the range.
    EXPECT_FALSE(CrossSectionImage::fits(row, plane(2, 2), &error));
    EXPECT_EQ(error, "the plane z = 2 lies outside the cell volume, whose z runs from 0 to 1");
}
