// Measurements on scenes whose answers are known: a film of known thickness, a trench of
// known width and depth, a pit with 54.7 degree walls, a conformal film over a step and a
// complementary-error-function junction; and what is refused.
#include "Core/Metrology/measurementplan.h"
#include "Model/Materials/materialfactory.h"
#include "filmtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Core::Metrology;
using FilmTest::makeVolume;

namespace {

constexpr uint32_t silicon = 1, oxide = 3, dopant = 14; // Si, Thermal Si02, N-doped Si (100)

Reading measure(Model::Automaton::TotalVolume &volume, const char *type, const QVariantMap &given)
{
    const Measurement *m = MeasurementRegistry::instance().find(QString::fromLatin1(type));
    EXPECT_NE(m, nullptr) << type;
    ParameterSet values;
    QString error;
    EXPECT_TRUE(readParameters(*m, given, &values, &error)) << error.toStdString();
    return take(*m, volume, values);
}

double value(const Reading &r)
{
    EXPECT_TRUE(r.value.has_value()) << r.why.toStdString();
    return r.value.value_or(std::nan(""));
}

// Silicon below z = 20 with a trench x in [8, 14) from z = 12 up, under an oxide film
// conformal to it: 4 cells on top, 2 on the walls, 3 at the bottom.
Model::Automaton::TotalVolumePtr trenchWithFilm()
{
    return makeVolume(22, 6, 30, [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
        const bool trench = x >= 8 && x < 14;
        const bool wall = trench && (x < 10 || x >= 12);
        if (z < 12 || (!trench && z < 20))
            return silicon;
        if (!trench)
            return z < 24 ? oxide : 0u;
        return z < 15 || (wall && z < 24) ? oxide : 0u;
    });
}

} // namespace

TEST(Measurements, ThicknessDepthAndWidthOfAFilmOverATrench)
{
    const auto volume = trenchWithFilm();
    // Top: 4 cells down the column at x = 2; bottom of the trench: 3 at x = 11 (the first
    // run from the top); the wall: 2 along x at height 16 (the first run from x = 0).
    EXPECT_DOUBLE_EQ(value(measure(*volume, "thickness", {{"material", "Thermal Si02"}, {"x", 2}, {"y", 3}})), 4.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "thickness", {{"material", 3}, {"x", 11}, {"y", 3}})), 3.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "thickness", {{"material", 3}, {"axis", "x"}, {"y", 3}, {"z", 16}})), 2.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "step_coverage",
                                   {{"material", 3}, {"position", 3}, {"wall_z", 16}, {"top_at", 2}})),
                     0.5);
    // Over columns: 4 on top, 3 at the bottom, and the walls' columns are oxide from the
    // top down to the trench bottom.
    EXPECT_DOUBLE_EQ(value(measure(*volume, "region_thickness",
                                   {{"material", 3}, {"x0", 10}, {"x1", 11}, {"statistic", "max"}})),
                     3.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "region_thickness", {{"material", 3}, {"statistic", "min"}})), 3.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "region_thickness", {{"material", 3}, {"x0", 0}, {"x1", 7}})), 4.0);
    // The gap between the walls' films at height 16 is 2 wide; the trench in silicon 6.
    EXPECT_DOUBLE_EQ(value(measure(*volume, "critical_dimension",
                                   {{"material", "empty"}, {"position", 3}, {"at", 11}, {"z", 16}})),
                     2.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "critical_dimension",
                                   {{"material", 1}, {"axis", "y"}, {"position", 2}, {"at", 0}, {"z", 16}})),
                     6.0);
    // The gap reaches down to z = 15 from the reference 30.
    EXPECT_DOUBLE_EQ(value(measure(*volume, "etch_depth", {{"reference", 30}})), 15.0);
    // Cell counts and volumes, here with unit cells.
    const double oxideCells = value(measure(*volume, "cell_count", {{"material", 3}}));
    EXPECT_DOUBLE_EQ(value(measure(*volume, "material_volume", {{"material", 3}})), oxideCells);
}

TEST(Measurements, LengthsFollowTheCellSize)
{
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(
        4, 4, 10, 0.5f, 2.0f, 0.25f, Util::Vector3D(0, 0, 0), std::vector<uint32_t>(160, oxide));
    EXPECT_DOUBLE_EQ(value(measure(*volume, "thickness", {{"material", 3}})), 2.5);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "thickness", {{"material", 3}, {"axis", "x"}})), 2.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "thickness", {{"material", 3}, {"axis", "y"}})), 8.0);
    EXPECT_DOUBLE_EQ(value(measure(*volume, "material_volume", {{"material", 3}})), 160 * 0.25);
}

// A pit etched through an opening: each monolayer down, the walls move inwards by
// cot(54.74 degrees) = 1 / sqrt(2), rounded to whole cells.
TEST(Measurements, SidewallAngleOfAPitAndOfUprightWalls)
{
    const double inward = 1.0 / std::sqrt(2.0);
    const auto pit = makeVolume(60, 4, 40, [inward](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
        const double halfWidth = 25.0 - (39.5 - z) * inward;
        return std::abs(x + 0.5 - 30.0) < halfWidth ? 0u : silicon;
    });
    const double low = value(measure(*pit, "sidewall_angle", {{"position", 1}, {"at", 30}, {"z0", 10}, {"z1", 39}}));
    const double high = value(
        measure(*pit, "sidewall_angle", {{"position", 1}, {"at", 30}, {"side", "high"}, {"z0", 10}, {"z1", 39}}));
    EXPECT_NEAR(low, 54.74, 1.0);
    EXPECT_NEAR(high, 54.74, 1.0);

    const auto trench = trenchWithFilm();
    EXPECT_NEAR(value(measure(*trench, "sidewall_angle", {{"position", 1}, {"at", 11}, {"z0", 15}, {"z1", 23}})),
                90.0, 1e-9);
}

// Dopant where C0 erfc(d / (2 sqrt(D t))) exceeds the threshold: the junction lies at
// d = 2 sqrt(D t) erfc^-1(threshold / C0).
TEST(Measurements, JunctionDepthOfAnErfcProfile)
{
    const double diffusionLength = 6.0; // 2 sqrt(D t), in units
    const double share = 1e-3;          // threshold / C0
    double lowArg = 0.0, highArg = 6.0; // erfc^-1(share) by bisection
    for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (lowArg + highArg);
        (std::erfc(mid) > share ? lowArg : highArg) = mid;
    }
    const double junction = diffusionLength * lowArg;
    const uint32_t top = 40;
    const auto volume = makeVolume(3, 3, 50, [&](uint32_t, uint32_t, uint32_t z) -> uint32_t {
        if (z >= top)
            return 0u;
        const double depth = top - z - 0.5;
        return std::erfc(depth / diffusionLength) >= share ? dopant : silicon;
    });
    EXPECT_NEAR(value(measure(*volume, "junction_depth", {{"material", dopant}, {"x", 1}, {"y", 1}})), junction, 1.0);
}

TEST(Measurements, RefusalsAndMeasurementsThatCannotBeTaken)
{
    const Measurement &thickness = *MeasurementRegistry::instance().find(QStringLiteral("thickness"));
    ParameterSet values;
    QString error;
    EXPECT_FALSE(readParameters(thickness, {{"material", 3}, {"depth", 2}}, &values, &error));
    EXPECT_EQ(error, "thickness has no parameter 'depth' (it has: material, axis, x, y, z)");
    EXPECT_FALSE(readParameters(thickness, {}, &values, &error));
    EXPECT_EQ(error, "thickness needs the parameter 'material'");
    EXPECT_FALSE(readParameters(thickness, {{"material", "Unobtainium"}}, &values, &error));
    EXPECT_EQ(error, "thickness: 'Unobtainium' is no material of the catalogue");
    EXPECT_FALSE(readParameters(thickness, {{"material", 3}, {"axis", "w"}}, &values, &error));
    EXPECT_EQ(error, "thickness: 'axis' must be one of z, x, y, not 'w'");
    EXPECT_FALSE(readParameters(thickness, {{"material", 3}, {"x", -1}}, &values, &error));
    EXPECT_EQ(error, "thickness: 'x' must be a cell index (a whole number of 0 or more), not '-1'");
    EXPECT_FALSE(readParameters(thickness, {{"material", 3}, {"x", 1.5}}, &values, &error));

    const auto volume = trenchWithFilm();
    Reading r = measure(*volume, "thickness", {{"material", "Poly-Si"}, {"x", 2}});
    EXPECT_FALSE(r.value);
    EXPECT_EQ(r.why, "no Poly-Si on the z line through (2, 0, 0)");
    r = measure(*volume, "thickness", {{"material", 3}, {"x", 40}});
    EXPECT_EQ(r.why, "the cell (40, 0, 0) lies outside the volume");
    r = measure(*volume, "critical_dimension", {{"material", "empty"}, {"position", 3}, {"at", 9}, {"z", 16}});
    EXPECT_EQ(r.why, "the cell (9, 3, 16) holds Thermal Si02, not empty space");
    EXPECT_FALSE(measure(*volume, "etch_depth", {{"reference", 10}}).value);
    EXPECT_FALSE(measure(*volume, "junction_depth", {{"material", dopant}, {"x", 0}, {"y", 0}}).value);
    EXPECT_FALSE(measure(*volume, "region_thickness", {{"material", 3}, {"x0", 30}}).value);
}

TEST(Measurements, PlanFromJsonWithColumnsInMicrometres)
{
    MeasurementPlan plan;
    QString error;
    ASSERT_TRUE(plan.parse(R"({"micrometres_per_unit": 0.5, "measurements": [
        {"name": "top", "type": "thickness", "material": "Thermal Si02", "x": 2},
        {"name": "coverage", "type": "step_coverage", "material": 3, "position": 3, "wall_z": 16, "top_at": 2},
        {"name": "missing", "type": "thickness", "material": "Poly-Si"}]})",
                           &error))
        << error.toStdString();
    EXPECT_EQ(plan.columns(), QStringList({"top", "top_um", "coverage", "missing", "missing_um"}));
    EXPECT_EQ(plan.columns("@2").front(), "top@2");
    QStringList warnings;
    const auto volume = trenchWithFilm();
    const auto row = plan.take(*volume, [&](const QString &w) { warnings << w; });
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(row[0], 4.0);
    EXPECT_EQ(row[1], 2.0);
    EXPECT_EQ(row[2], 0.5);
    EXPECT_FALSE(row[3] || row[4]);
    EXPECT_EQ(warnings, QStringList({"measurement missing not taken: no Poly-Si on the z line through (0, 0, 0)"}));

    for (const auto &[json, message] : std::vector<std::pair<const char *, const char *>>{
             {"{", "not JSON"},
             {R"({"measurements": [{"name": "a", "type": "depth"}]})", "measurement 1: unknown type 'depth'"},
             {R"([{"name": "a", "type": "cell_count", "material": 1}, {"name": "a", "type": "cell_count", "material": 1}])",
              "measurement 2: the name 'a' is used twice"},
             {R"({"measurements": [], "micrometres_per_unit": -1})", "\"micrometres_per_unit\" must be a positive number"},
             {R"({"measurement": []})", "unknown entry 'measurement'"},
             {R"([{"type": "cell_count", "material": 1}])", "measurement 1: needs a \"name\""}}) {
        MeasurementPlan refused = plan;
        EXPECT_FALSE(refused.parse(json, &error)) << json;
        EXPECT_TRUE(error.startsWith(QString::fromLatin1(message))) << error.toStdString();
        EXPECT_EQ(refused.columns(), plan.columns()); // a refused file changes nothing
    }
}
