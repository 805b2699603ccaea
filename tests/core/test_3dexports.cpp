// The 3-D exports read back by independent readers: VTK's own reader for the image data,
// a parser of binary STL for the surfaces (closed, wound outwards, the enclosed volume of
// the cells), the per-material files and their names, and failures that keep old files.
#include "Core/Operations/ExportData/stlsurfacewriter.h"
#include "Core/Operations/ExportData/volumeexport3d.h"
#include "Core/Operations/ExportData/vtkimagedatawriter.h"
#include "Model/Automaton/totalvolume.h"
#include "exportreaders.h"

#include <gtest/gtest.h>

#include <random>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <csignal>
#include <functional>
#include <map>
#include <sys/resource.h>

using Core::Operations::StlSurfaceWriter;
using Core::Operations::VolumeExport3D;
using Core::Operations::VtkImageDataWriter;
using Model::Automaton::SurfaceMode;
using Model::Automaton::TotalVolume;

namespace {

using Fill = std::function<uint32_t(uint32_t, uint32_t, uint32_t)>;

std::shared_ptr<TotalVolume> makeVolume(uint32_t nx, uint32_t ny, uint32_t nz, const float size[3],
                                        const Util::Vector3D &position, const Fill &fill)
{
    std::vector<uint32_t> ids;
    for (uint32_t x = 0; x < nx; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            for (uint32_t z = 0; z < nz; ++z)
                ids.push_back(fill(x, y, z));
    return std::make_shared<TotalVolume>(nx, ny, nz, size[0], size[1], size[2], position, ids);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Runs `write` with a file-size limit of `bytes`, as on a disk that is full.
template <typename Write>
bool withFullDisk(rlim_t bytes, const Write &write)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    full.rlim_cur = bytes;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &full);
    const bool result = write();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    return result;
}

} // namespace

TEST(VtkImageDataExport, VtkReadsEveryCellSpacingAndOrigin)
{
    QTemporaryDir dir;
    const float size[3] = {0.5f, 1.0f, 2.0f};
    // Silicon at the bottom; above it oxide for x < 2, copper along y = 0, else empty.
    const Fill fill = [](uint32_t x, uint32_t y, uint32_t z) { return z == 0 ? 1u : x < 2 ? 3u : y == 0 ? 5u : 0u; };
    const auto volume = makeVolume(5, 4, 3, size, Util::Vector3D(1.0, -2.0, 3.25), fill);
    const QString path = dir.filePath("block.vti");
    QString error;
    ASSERT_TRUE(VtkImageDataWriter::write(*volume, path, &error)) << error.toStdString();

    const VtkTest::ImageData image = VtkTest::readWithVtk(path);
    ASSERT_TRUE(image.error.isEmpty()) << image.error.toStdString();
    EXPECT_EQ(image.cells, (std::array<int, 3>{5, 4, 3}));
    EXPECT_EQ(image.spacing, (std::array<double, 3>{0.5, 1.0, 2.0}));
    EXPECT_EQ(image.origin, (std::array<double, 3>{1.0, -2.0, 3.25}));
    EXPECT_EQ(image.scalars, "material");
    EXPECT_EQ(image.type, "unsigned short 1");
    ASSERT_EQ(image.values.size(), 60u);
    std::map<uint32_t, int> counts;
    int misplaced = 0;
    for (uint32_t z = 0; z < 3; ++z)
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 5; ++x) {
                const uint32_t read = image.values[(z * 4 + y) * 5 + x];
                ++counts[read];
                misplaced += read != fill(x, y, z);
            }
    EXPECT_EQ(misplaced, 0);
    EXPECT_EQ(counts, (std::map<uint32_t, int>{{0, 18}, {1, 20}, {3, 16}, {5, 6}}));

    // The same bytes whatever the number of threads.
    const QByteArray first = bytesOf(path);
    for (int threads : {1, 3}) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        ASSERT_TRUE(VtkImageDataWriter::write(*volume, path, &error));
        EXPECT_EQ(bytesOf(path), first) << threads;
    }
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());

    // An id above 65535 makes the array 32 bits wide.
    const auto wide = makeVolume(2, 2, 2, size, Util::Vector3D(), [](uint32_t x, uint32_t y, uint32_t z) {
        return x == 1 && y == 0 && z == 1 ? 70000u : 1u;
    });
    QStringList written;
    ASSERT_TRUE(VolumeExport3D::write(*wide, dir.filePath("wide.VTI"), false, &written, &error));
    EXPECT_EQ(written, QStringList{dir.filePath("wide.VTI")});
    const VtkTest::ImageData wideImage = VtkTest::readWithVtk(dir.filePath("wide.VTI"));
    ASSERT_TRUE(wideImage.error.isEmpty()) << wideImage.error.toStdString();
    EXPECT_EQ(wideImage.type, "unsigned int 1");
    EXPECT_EQ(wideImage.values, (std::vector<uint32_t>{1, 1, 1, 1, 1, 70000, 1, 1}));
}

TEST(VtkImageDataExport, FailuresKeepTheOldFile)
{
    QTemporaryDir dir;
    const float size[3] = {1, 1, 1};
    const auto volume = makeVolume(20, 20, 20, size, Util::Vector3D(), [](uint32_t, uint32_t, uint32_t) { return 1u; });
    QString error;
    EXPECT_FALSE(VtkImageDataWriter::write(*volume, dir.filePath("missing/folder.vti"), &error));
    EXPECT_FALSE(error.isEmpty());

    const QString path = dir.filePath("kept.vti");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept\n");
    old.close();
    error.clear();
    EXPECT_FALSE(withFullDisk(4096, [&] { return VtkImageDataWriter::write(*volume, path, &error); }));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(bytesOf(path), "kept\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.vti"});

    // Suffixes choose the format; others and per-material image data are refused.
    QStringList written;
    EXPECT_FALSE(VolumeExport3D::write(*volume, dir.filePath("cells.obj"), false, &written, &error));
    EXPECT_TRUE(error.contains(".vti")) << error.toStdString();
    EXPECT_FALSE(VolumeExport3D::write(*volume, dir.filePath("cells.vti"), true, &written, &error));
    EXPECT_TRUE(error.contains("one file per material")) << error.toStdString();
    EXPECT_TRUE(written.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("cells.vti")));
}

// A 4 x 4 x 4 block of silicon inside a 6 x 6 x 6 volume with cells of 1 x 0.5 x 2.
TEST(StlExport, SolidCubeIsClosedAndFacesOutInBothSurfaces)
{
    QTemporaryDir dir;
    const float size[3] = {1.0f, 0.5f, 2.0f};
    const auto volume = makeVolume(6, 6, 6, size, Util::Vector3D(10, 20, 30), [](uint32_t x, uint32_t y, uint32_t z) {
        return x >= 1 && x <= 4 && y >= 1 && y <= 4 && z >= 1 && z <= 4 ? 1u : 0u;
    });
    const StlTest::Point low{11.0f, 20.5f, 32.0f}, high{15.0f, 22.5f, 40.0f};

    QStringList written;
    QString error;
    const QString cubic = dir.filePath("cube.stl");
    EXPECT_EQ(StlSurfaceWriter::surfaceShown(*volume), StlSurfaceWriter::Surface::DirectCubic);
    ASSERT_TRUE(VolumeExport3D::write(*volume, cubic, false, &written, &error)) << error.toStdString();
    EXPECT_EQ(written, QStringList{cubic});
    StlTest::Mesh mesh = StlTest::read(cubic);
    ASSERT_TRUE(mesh.error.isEmpty()) << mesh.error.toStdString();
    EXPECT_FALSE(mesh.header.startsWith("solid"));
    EXPECT_EQ(mesh.triangles.size(), 6u * 16u * 2u);
    StlTest::Shape shape = StlTest::shapeOf(mesh);
    EXPECT_EQ(shape.unpairedEdges, 0u);
    EXPECT_EQ(shape.normalsAgainstWinding, 0u);
    EXPECT_NEAR(shape.volume, 64.0, 1e-6); // 64 cells of 1 x 0.5 x 2
    EXPECT_NEAR(shape.area, 2 * (4 * 2.0 + 4 * 8.0 + 2.0 * 8.0), 1e-6);
    EXPECT_EQ(shape.min, low);
    EXPECT_EQ(shape.max, high);

    // Marching cubes, as the view shows them once chosen: closed and outward too, with
    // the flat sides on the cells' faces and the edges cut off.
    volume->getPainter()->setMode(SurfaceMode::MarchingCubes);
    EXPECT_EQ(StlSurfaceWriter::surfaceShown(*volume), StlSurfaceWriter::Surface::MarchingCubes);
    const QString marching = dir.filePath("cube-mc.stl");
    ASSERT_TRUE(VolumeExport3D::write(*volume, marching, false, &written, &error)) << error.toStdString();
    mesh = StlTest::read(marching);
    ASSERT_TRUE(mesh.error.isEmpty()) << mesh.error.toStdString();
    shape = StlTest::shapeOf(mesh);
    EXPECT_EQ(shape.unpairedEdges, 0u);
    EXPECT_EQ(shape.normalsAgainstWinding, 0u);
    EXPECT_GT(shape.volume, 0.8 * 64.0);
    EXPECT_LT(shape.volume, 64.0);
    EXPECT_EQ(shape.min, low);
    EXPECT_EQ(shape.max, high);

    // Nothing solid in view: no file, and the reason.
    volume->getPainter()->setMode(SurfaceMode::DirectCubic);
    volume->getPainter()->setCutLimits({0, 0, 0}, {6, 6, 1});
    const QString none = dir.filePath("none.stl");
    EXPECT_FALSE(VolumeExport3D::write(*volume, none, false, &written, &error));
    EXPECT_TRUE(error.contains("shows no solid cells")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(none));
}

// Silicon below, oxide and an uncatalogued material above, one cell cut away: one file
// bounds them all, or each material gets its own closed file.
TEST(StlExport, PerMaterialFilesAreClosedAndNamedAfterTheMaterials)
{
    QTemporaryDir dir;
    const float size[3] = {1, 1, 1};
    const auto volume = makeVolume(4, 3, 4, size, Util::Vector3D(), [](uint32_t x, uint32_t, uint32_t z) {
        return z < 2 ? 1u : x < 2 ? 3u : 4242u;
    });
    {
        Model::Automaton::VoxelLock cells(*volume);
        cells[volume->index(3, 2, 3)].addCut();
    }
    QStringList written;
    QString error;
    const QString base = dir.filePath("stack.stl");
    ASSERT_TRUE(VolumeExport3D::write(*volume, base, false, &written, &error)) << error.toStdString();
    StlTest::Shape shape = StlTest::shapeOf(StlTest::read(base));
    EXPECT_EQ(shape.unpairedEdges, 0u);
    EXPECT_NEAR(shape.volume, 47.0, 1e-9);

    const QStringList expected = {dir.filePath("stack-Si.stl"), dir.filePath("stack-Thermal_Si02.stl"),
                                  dir.filePath("stack-4242.stl")};
    const double cells[3] = {24, 12, 11};
    for (int mode : {0, 1}) {
        volume->getPainter()->setMode(mode == 0 ? SurfaceMode::DirectCubic : SurfaceMode::MarchingCubes);
        for (const QString &f : expected)
            QFile::remove(f);
        ASSERT_TRUE(VolumeExport3D::write(*volume, base, true, &written, &error)) << error.toStdString();
        EXPECT_EQ(written, expected);
        for (int i = 0; i < 3; ++i) {
            const StlTest::Mesh mesh = StlTest::read(expected[i]);
            ASSERT_TRUE(mesh.error.isEmpty()) << mesh.error.toStdString();
            shape = StlTest::shapeOf(mesh);
            EXPECT_EQ(shape.unpairedEdges, 0u) << mode << ' ' << i;
            EXPECT_EQ(shape.normalsAgainstWinding, 0u) << mode << ' ' << i;
            if (mode == 0)
                EXPECT_NEAR(shape.volume, cells[i], 1e-9) << i;
            else
                EXPECT_GT(shape.volume, 0.0) << i;
        }
    }

    // Only the cells inside the cut box count.
    volume->getPainter()->setMode(SurfaceMode::DirectCubic);
    volume->getPainter()->setCutLimits({0, 0, 0}, {4, 3, 2});
    ASSERT_TRUE(VolumeExport3D::write(*volume, base, true, &written, &error)) << error.toStdString();
    EXPECT_EQ(written, QStringList{expected[0]});
    EXPECT_NEAR(StlTest::shapeOf(StlTest::read(expected[0])).volume, 24.0, 1e-9);

    // Names: runs of other characters become one '_'; a name taken, or none, gives the id.
    EXPECT_EQ(StlSurfaceWriter::materialFileName("/a/b.STL", "Al (bulk)"), "/a/b-Al_bulk.stl");
    EXPECT_EQ(StlSurfaceWriter::materialFileName("b", "Photoresist +"), "b-Photoresist.stl");

    // Files that cannot be finished leave the previous one and no other file.
    const QString kept = dir.filePath("kept-Si.stl");
    QFile old(kept);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept\n");
    old.close();
    volume->getPainter()->setCutLimits({0, 0, 0}, {4, 3, 4});
    EXPECT_FALSE(withFullDisk(200, [&] {
        return VolumeExport3D::write(*volume, dir.filePath("kept.stl"), true, &written, &error);
    }));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(written.isEmpty());
    EXPECT_EQ(bytesOf(kept), "kept\n");
    EXPECT_EQ(QDir(dir.path()).entryList({"kept*"}, QDir::Files), QStringList{"kept-Si.stl"});
}

// Marching cubes close on the faces of the volume and of the cut box: the cells of the
// first layer count like every other, so a block exports as its own box, to the cell.
TEST(StlExport, MarchingCubesEncloseTheCellsAtTheVolumeAndCutBoxFaces)
{
    QTemporaryDir dir;
    const float size[3] = {0.5f, 1.0f, 2.0f};
    const Util::Vector3D position(10, 20, 30);
    QStringList written;
    QString error;
    auto export3d = [&](TotalVolume &volume, const char *name) {
        volume.getPainter()->setMode(SurfaceMode::MarchingCubes);
        const QString file = dir.filePath(name);
        EXPECT_TRUE(VolumeExport3D::write(volume, file, false, &written, &error)) << error.toStdString();
        const StlTest::Mesh mesh = StlTest::read(file);
        EXPECT_TRUE(mesh.error.isEmpty()) << mesh.error.toStdString();
        const StlTest::Shape shape = StlTest::shapeOf(mesh);
        EXPECT_EQ(shape.unpairedEdges, 0u) << name;
        EXPECT_EQ(shape.normalsAgainstWinding, 0u) << name;
        return shape;
    };
    // Model coordinates of the cell corner (x, y, z).
    auto corner = [&](float x, float y, float z) {
        return StlTest::Point{float(position.x + x * size[0]), float(position.y + y * size[1]),
                              float(position.z + z * size[2])};
    };

    // A full 8-cube: exactly the box of its cells. The surface ends on the box's faces
    // with flat caps, so neither its edges nor its corners are cut.
    const auto full = makeVolume(8, 8, 8, size, position, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    StlTest::Shape shape = export3d(*full, "full.stl");
    EXPECT_EQ(shape.min, corner(0, 0, 0));
    EXPECT_EQ(shape.max, corner(8, 8, 8));
    EXPECT_NEAR(shape.volume, 512.0, 1e-3); // cells of volume 1
    // Larger blocks come within 1 % of their cells.
    const auto large = makeVolume(16, 16, 16, size, position, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    shape = export3d(*large, "large.stl");
    EXPECT_EQ(shape.max, corner(16, 16, 16));
    EXPECT_NEAR(shape.volume, 4096.0, 0.01 * 4096.0);

    // A substrate resting on z = 0 keeps its bottom layer.
    const auto substrate =
        makeVolume(8, 6, 10, size, position, [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? 1u : 0u; });
    shape = export3d(*substrate, "substrate.stl");
    EXPECT_EQ(shape.min, corner(0, 0, 0));
    EXPECT_EQ(shape.max, corner(8, 6, 3));
    EXPECT_NEAR(shape.volume, 144.0, 1e-3);

    // Cells scattered over every face, saddles among them: the caps meet the surface
    // edge for edge (export3d checks that every edge is shared and faces outwards).
    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        const auto scattered = makeVolume(6, 5, 4, size, position,
                                          [&](uint32_t, uint32_t, uint32_t) { return random() % 2 ? 1u : 0u; });
        shape = export3d(*scattered, "scattered.stl");
        EXPECT_GT(shape.volume, 0.0) << seed;
    }

    // A cut box: the faces lie where the cut is, low and high.
    full->getPainter()->setCutLimits({2, 1, 0}, {7, 8, 5});
    shape = export3d(*full, "cut.stl");
    EXPECT_EQ(shape.min, corner(2, 1, 0));
    EXPECT_EQ(shape.max, corner(7, 8, 5));
    // One file per material closes on the same faces.
    full->getPainter()->setMode(SurfaceMode::MarchingCubes);
    ASSERT_TRUE(VolumeExport3D::write(*full, dir.filePath("cut.stl"), true, &written, &error)) << error.toStdString();
    ASSERT_EQ(written.size(), 1);
    shape = StlTest::shapeOf(StlTest::read(written.front()));
    EXPECT_EQ(shape.unpairedEdges, 0u);
    EXPECT_EQ(shape.min, corner(2, 1, 0));
    EXPECT_EQ(shape.max, corner(7, 8, 5));
}
