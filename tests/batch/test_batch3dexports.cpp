// kelvane-batch --export: the final volume as VTK image data read back by VTK, its
// surface as STL (one file or one per material), usage errors and failures that keep
// old files.
#include "batchtestsupport.h"
#include "exportreaders.h"

#include <gtest/gtest.h>

#include <map>

using BatchTest::contents;
using BatchTest::workFile;

TEST(Batch3DExports, ImageDataAndSurfaceOfTheSubstrate)
{
    // 100 x 100 x 80 unit cells, the lower 30 layers silicon.
    const QString vti = workFile("substrate.vti");
    const QString stl = workFile("substrate.stl");
    BatchTest::Run run = BatchTest::run({BatchTest::example("substrate.plst"), "--export", vti, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const VtkTest::ImageData image = VtkTest::readWithVtk(vti);
    ASSERT_TRUE(image.error.isEmpty()) << image.error.toStdString();
    EXPECT_EQ(image.cells, (std::array<int, 3>{100, 100, 80}));
    EXPECT_EQ(image.spacing, (std::array<double, 3>{1, 1, 1}));
    std::map<uint32_t, size_t> counts;
    for (uint32_t id : image.values)
        ++counts[id];
    EXPECT_EQ(counts, (std::map<uint32_t, size_t>{{0, 500000}, {1, 300000}}));

    run = BatchTest::run({BatchTest::example("substrate.plst"), "--export", stl, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const StlTest::Mesh mesh = StlTest::read(stl);
    ASSERT_TRUE(mesh.error.isEmpty()) << mesh.error.toStdString();
    const StlTest::Shape shape = StlTest::shapeOf(mesh);
    EXPECT_EQ(shape.unpairedEdges, 0u);
    EXPECT_EQ(shape.normalsAgainstWinding, 0u);
    EXPECT_NEAR(shape.volume, 300000.0, 1e-3);
}

TEST(Batch3DExports, PerMaterialSurfacesOfTheCantilever)
{
    const QString base = workFile("cantilever.stl");
    const BatchTest::Run run = BatchTest::run({BatchTest::example("cantilever.plst"), "--export", base, "--per-material",
                                               "--output", workFile("cantilever3d.mem"), "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(base));
    Model::Scene scene;
    const auto volume = BatchTest::readVolume(workFile("cantilever3d.mem"), scene);
    ASSERT_TRUE(volume);
    std::map<uint32_t, double> cells;
    for (uint32_t id : volume->materialIds())
        if (id != 0)
            cells[id] += 1;
    // Silicon, oxide and polysilicon remain; each is bounded by a closed surface that
    // holds exactly its cells.
    const std::map<uint32_t, QString> files = {
        {1, "cantilever-Si.stl"}, {3, "cantilever-Thermal_Si02.stl"}, {16, "cantilever-Poly-Si.stl"}};
    ASSERT_EQ(cells.size(), files.size());
    for (const auto &entry : files) {
        const StlTest::Mesh mesh = StlTest::read(workFile(entry.second));
        ASSERT_TRUE(mesh.error.isEmpty()) << mesh.error.toStdString();
        const StlTest::Shape shape = StlTest::shapeOf(mesh);
        EXPECT_EQ(shape.unpairedEdges, 0u) << entry.second.toStdString();
        EXPECT_EQ(shape.normalsAgainstWinding, 0u) << entry.second.toStdString();
        EXPECT_NEAR(shape.volume, cells[entry.first] * volume->getCellSizeX() * volume->getCellSizeY() *
                                      volume->getCellSizeZ(),
                    1e-3)
            << entry.second.toStdString();
    }
}

TEST(Batch3DExports, UsageErrorsAndFailuresKeepOldFiles)
{
    const QString list = BatchTest::example("substrate.plst");
    const QString old = workFile("old.stl");
    BatchTest::write(old, "kept\n");
    const struct
    {
        QStringList arguments;
        const char *message;
    } usage[] = {
        {{"--export", workFile("cells.obj")}, "--export: the file name must end in .vti (VTK image data) or .stl"},
        {{"--per-material"}, "--per-material needs --export FILE.stl"},
        {{"--export", workFile("cells.vti"), "--per-material"}, "one file per material is for STL surfaces"},
        {{"--export", workFile("missing/cells.stl")}, "cannot write the 3-D export: the folder"},
    };
    for (const auto &u : usage) {
        const BatchTest::Run run = BatchTest::run(QStringList{list} + u.arguments);
        EXPECT_EQ(run.exitCode, 2) << u.message;
        EXPECT_TRUE(run.errors.contains(u.message)) << run.errors.toStdString();
    }
    EXPECT_FALSE(QFile::exists(workFile("cells.vti")));

    // A disk that takes no bytes: exit 1, the reason, the old file as it was.
    const QString limited = QStringLiteral("trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"");
    const BatchTest::Run run =
        BatchTest::run({"-c", limited, KELVANE_BATCH_EXE, list, "--export", old, "--quiet"}, "/bin/sh");
    EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("cannot write the 3-D export " + old)) << run.errors.toStdString();
    EXPECT_EQ(contents(old), "kept\n");
    EXPECT_EQ(QDir(TestEnv::workDir()).entryList({"old.stl*"}, QDir::Files), QStringList{"old.stl"});
}
