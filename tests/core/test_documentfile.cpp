// Documents: the exact layout written, reading with defaults, short and odd "State"
// texts, material reconciliation, refusal of impossible sizes, and saves that fail
// without harming the previous file.
#include "cataloguetestsupport.h"
#include "documenttestsupport.h"

#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Model/Automaton/fieldpainter.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/Persistence/totalvolumearchiver.h"
#include "Model/Persistence/volumelimits.h"
#include "Model/scene.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamWriter>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <sys/resource.h>
#include <utility>

using Model::Automaton::FieldPainter;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Materials::MaterialConflictChoice;
using Model::Materials::MaterialFactory;
using Model::Materials::MaterialReconciler;
using Model::Persistence::ArchiverRegistry;
using Model::Persistence::DocumentFile;
using Model::Persistence::VolumeLimits;
using Status = Model::Persistence::DocumentFile::Status;
using namespace DocumentTest;

// The largest single allocation made while `trackAllocations` is set, so that a test
// can show that an impossible document is refused before its cells are allocated.
namespace {
std::atomic<bool> trackAllocations{false};
std::atomic<size_t> largestAllocation{0};
} // namespace

void *operator new(std::size_t size)
{
    if (trackAllocations.load(std::memory_order_relaxed)) {
        size_t seen = largestAllocation.load(std::memory_order_relaxed);
        while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
        }
    }
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace {

// An object kind without an archiver (like the extracted cantilever model).
class ModelStub : public Model::Object
{
public:
    Model::ObjectKind getType() const override { return Model::ObjectKind::ExtractedModel; }
    void draw(bool, bool, Util::Vector3D) override {}
    void drawForPicking() override {}
    Model::ObjectPtr clone() override { return nullptr; }
    void move(Util::Vector3D) override {}
    void hook(const Util::Vector4D &, const Util::Vector4D &) override {}
};

class DocumentFileTest : public CatalogueTest::CatalogueFixture
{
protected:
    QString path(const QString &name) const { return folder.path() + QLatin1Char('/') + name; }

    DocumentFile::Result open(const QString &file, Model::Scene &scene,
                              const Util::ObserverPtr &conflicts = nullptr)
    {
        const MaterialReconciler reconciler(
            conflicts, [this](const std::string &m) { console.push_back(m); });
        return DocumentFile::open(file, scene, archivers, reconciler);
    }

    // Writes `body` (everything after the header) as a document and opens it.
    DocumentFile::Result openText(const QByteArray &body, Model::Scene &scene,
                                  const Util::ObserverPtr &conflicts = nullptr)
    {
        const QString file = path(QStringLiteral("hand.mem"));
        putBytes(file, QByteArray("<?xml version=\"1.0\"?><Document><Header version=\"1\"/>") +
                             body + "</Document>");
        return open(file, scene, conflicts);
    }

    static TotalVolumePtr onlyVolume(const Model::Scene &scene)
    {
        const auto objects = scene.objects();
        EXPECT_EQ(objects.size(), 1u);
        return objects.empty() ? nullptr : std::dynamic_pointer_cast<TotalVolume>(objects.front());
    }

    QTemporaryDir folder;
    ArchiverRegistry archivers;
    std::vector<std::string> console;
};

} // namespace

TEST_F(DocumentFileTest, WritesTheLayoutExactly)
{
    Model::Scene scene;
    auto volume = std::make_shared<TotalVolume>(1, 1, 2, 0.5f, 1.0f, 2.25f,
                                                Util::Vector3D(1.5, -2, 1e6),
                                                std::vector<uint32_t>{1, 0});
    scene.add(volume);
    scene.add(std::make_shared<ModelStub>()); // no archiver: not stored
    const QString file = path(QStringLiteral("one.mem"));
    ASSERT_TRUE(DocumentFile::save(scene, file, archivers).ok());
    EXPECT_EQ(scene.name(), file);

    const QString text = QString::fromUtf8(bytesOf(file));
    EXPECT_TRUE(text.startsWith(QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Document><Header version=\"1\"/>"
        "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" "
        "poisson-ratio=\"0.28\" young-modulus=\"1.88e+11\" color=\"#FF7F7F7F\"/>"
        "<Material version=\"1\" name=\"Thermal Si02\" material-id=\"3\"")))
        << text.left(400).toStdString();
    EXPECT_TRUE(text.trimmed().endsWith(QStringLiteral(
        "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\" cellsize-x=\"0.5\" "
        "cellsize-y=\"1\" cellsize-z=\"2.25\"><State>1 0 </State>"
        "<Position pos-x=\"1.5\" pos-y=\"-2\" pos-z=\"1e+06\"/></Object></Document>")))
        << text.right(300).toStdString();
    EXPECT_EQ(text.trimmed().count(QLatin1Char('\n')), 0); // no indentation

    // Every catalogue material, in id order, before the objects; one object only.
    QRegularExpression ids(QStringLiteral("material-id=\"(\\d+)\""));
    std::vector<uint32_t> written;
    for (auto it = ids.globalMatch(text); it.hasNext();)
        written.push_back(it.next().captured(1).toUInt());
    std::vector<uint32_t> catalogue;
    for (const auto &m : MaterialFactory::instance()->getMaterials())
        catalogue.push_back(m.id);
    EXPECT_EQ(written, catalogue);
    EXPECT_EQ(text.count(QStringLiteral("<Object ")), 1);

    // Read back: the same volume.
    Model::Scene reopened;
    ASSERT_TRUE(open(file, reopened).ok());
    EXPECT_EQ(reopened.name(), file);
    const TotalVolumePtr back = onlyVolume(reopened);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getSizeZ(), 2u);
    EXPECT_EQ(back->getCellSizeX(), 0.5f);
    EXPECT_EQ(back->getCellSizeZ(), 2.25f);
    EXPECT_EQ(back->getPosition(), Util::Vector3D(1.5, -2, 1e6));
    EXPECT_EQ(back->materialIds(), (std::vector<uint32_t>{1, 0}));
}

TEST_F(DocumentFileTest, LargeIdsAndLargerVolumesRoundTrip)
{
    Model::Scene scene;
    std::vector<uint32_t> ids(7 * 5 * 3);
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = i % 4 == 0 ? 0u : (i % 4 == 1 ? 16u : (i % 4 == 2 ? 32766u : 4294967295u));
    auto a = makeVolume(7, 5, 3, ids);
    auto b = makeVolume(2, 2, 2, std::vector<uint32_t>(8, 9));
    scene.add(a);
    scene.add(b);
    const QString file = path(QStringLiteral("two.mem"));
    ASSERT_TRUE(DocumentFile::save(scene, file, archivers).ok());
    Model::Scene reopened;
    ASSERT_TRUE(open(file, reopened).ok());
    const auto objects = reopened.objects();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(std::dynamic_pointer_cast<TotalVolume>(objects[0])->materialIds(), ids);
    EXPECT_EQ(std::dynamic_pointer_cast<TotalVolume>(objects[1])->materialIds(),
              std::vector<uint32_t>(8, 9));
}

TEST_F(DocumentFileTest, WritesStateThroughAStringWriterToo)
{
    auto volume = makeVolume(1, 1, 3, {12, 0, 7});
    QString out;
    QXmlStreamWriter writer(&out);
    Model::Persistence::TotalVolumeArchiver archiver;
    archiver.setWriter(&writer);
    EXPECT_TRUE(archiver.write(volume));
    EXPECT_TRUE(out.contains(QStringLiteral("<State>12 0 7 </State>"))) << out.toStdString();
    // Not a volume: nothing at all.
    out.clear();
    EXPECT_TRUE(archiver.write(std::make_shared<ModelStub>()));
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(DocumentFileTest, ReadsDefaultsAndOddStateTexts)
{
    {
        // Two spaces between numbers read like one; no cell sizes: 1; no position: 0.
        Model::Scene scene;
        ASSERT_TRUE(openText("<Object object-type=\"1\" size-x=\"1\" size-y=\"2\" size-z=\"2\">"
                             "<State>1  0   3 1 </State></Object>",
                             scene)
                        .ok());
        const TotalVolumePtr v = onlyVolume(scene);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->materialIds(), (std::vector<uint32_t>{1, 0, 3, 1}));
        EXPECT_EQ(v->getCellSizeX(), 1.0f);
        EXPECT_EQ(v->getCellSizeY(), 1.0f);
        EXPECT_EQ(v->getPosition(), Util::Vector3D(0, 0, 0));
    }
    {
        // Short: the rest is empty. Parts that are not numbers give 0; extra parts are
        // ignored; attributes in any order.
        Model::Scene scene;
        ASSERT_TRUE(openText("<Object size-z=\"3\" cellsize-y=\"0.25\" object-type=\"1\" "
                             "size-y=\"1\" size-x=\"2\"><State> 4 x5 +6 -1 99999999999 9\n3 7 </State>"
                             "<Position pos-y=\"7.5\"/></Object>",
                             scene)
                        .ok());
        const TotalVolumePtr v = onlyVolume(scene);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->materialIds(), (std::vector<uint32_t>{4, 0, 6, 0, 0, 0}));
        EXPECT_EQ(v->getCellSizeY(), 0.25f);
        EXPECT_EQ(v->getPosition(), Util::Vector3D(0, 7.5, 0));
    }
    {
        // No "State" at all; an object type without an archiver is passed over and the
        // object after it still read.
        Model::Scene scene;
        ASSERT_TRUE(openText("<Object object-type=\"2\"><State>5 5 </State></Object>"
                             "<Unknown><Object object-type=\"1\" size-x=\"1\" size-y=\"1\" "
                             "size-z=\"2\"/></Unknown>",
                             scene)
                        .ok());
        const TotalVolumePtr v = onlyVolume(scene);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->materialIds(), (std::vector<uint32_t>{0, 0}));
    }
}

TEST_F(DocumentFileTest, UnknownMaterialIsAddedUnderItsOwnId)
{
    // A catalogue without id 7.
    writeFile(QStringLiteral("materials.xml"),
              "<?xml version=\"1.0\"?><Materials><Material version=\"1\" name=\"Si\" "
              "material-id=\"1\" density=\"2329\" poisson-ratio=\"0.28\" young-modulus=\"1.88e+11\" "
              "color=\"#FF7F7F7F\"/></Materials>");
    MaterialFactory::instance()->startUp();
    ASSERT_EQ(MaterialFactory::instance()->getMaterial(7).id, 0u);

    Model::Scene scene;
    ASSERT_TRUE(openText("<Material version=\"1\" name=\"Unobtainium\" material-id=\"7\" "
                         "density=\"1\" poisson-ratio=\"0.1\" young-modulus=\"2\" color=\"#FF102030\"/>"
                         "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\">"
                         "<State>7 1 </State></Object>",
                         scene)
                    .ok());
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(7).name, QStringLiteral("Unobtainium"));
    EXPECT_EQ(onlyVolume(scene)->materialIds(), (std::vector<uint32_t>{7, 1}));
    EXPECT_TRUE(console.empty());
}

TEST_F(DocumentFileTest, ConflictingMaterialIsMappedByTheChoice)
{
    const QByteArray body =
        "<Material version=\"1\" name=\"Silicon carbide\" material-id=\"1\" density=\"3210\" "
        "poisson-ratio=\"0.14\" young-modulus=\"4.5e+11\" color=\"#FF202020\"/>"
        "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"3\"><State>1 0 1 </State></Object>";
    const auto catalogue = MaterialFactory::instance();
    struct Case
    {
        bool settle;
        MaterialConflictChoice choice;
        uint32_t replacement;
    };
    for (const Case c : {Case{true, MaterialConflictChoice::ReplaceLoadedByExisting, 0},
                         Case{true, MaterialConflictChoice::ReplaceExistingByLoaded, 0},
                         Case{true, MaterialConflictChoice::ReplaceLoadedByOther, 4},
                         Case{true, MaterialConflictChoice::AddLoadedAsNew, 0},
                         Case{false, MaterialConflictChoice::ReplaceLoadedByExisting, 0}}) {
        SCOPED_TRACE(int(c.choice) + (c.settle ? 0 : 10));
        catalogue->resetToBuiltIns();
        auto answer = std::make_shared<FixedConflictAnswer>(c.settle, c.choice, c.replacement);
        Model::Scene scene;
        ASSERT_TRUE(openText(body, scene, answer).ok());
        EXPECT_EQ(answer->calls, 1);
        EXPECT_EQ(answer->existing.name, QStringLiteral("Si"));
        EXPECT_EQ(answer->loaded.name, QStringLiteral("Silicon carbide"));
        const std::vector<uint32_t> cells = onlyVolume(scene)->materialIds();
        ASSERT_EQ(cells.size(), 3u);
        EXPECT_EQ(cells[1], 0u);
        EXPECT_EQ(cells[0], cells[2]);
        if (!c.settle || c.choice == MaterialConflictChoice::AddLoadedAsNew) {
            EXPECT_GE(cells[0], 2000u);
            EXPECT_EQ(catalogue->getMaterial(cells[0]).name, QStringLiteral("Silicon carbide"));
            EXPECT_EQ(catalogue->getMaterial(1).name, QStringLiteral("Si"));
        } else if (c.choice == MaterialConflictChoice::ReplaceLoadedByExisting) {
            EXPECT_EQ(cells[0], 1u);
            EXPECT_EQ(catalogue->getMaterial(1).name, QStringLiteral("Si"));
        } else if (c.choice == MaterialConflictChoice::ReplaceExistingByLoaded) {
            EXPECT_EQ(cells[0], 1u);
            EXPECT_EQ(catalogue->getMaterial(1).name, QStringLiteral("Silicon carbide"));
        } else {
            EXPECT_EQ(cells[0], 4u);
            EXPECT_EQ(catalogue->getMaterial(1).name, QStringLiteral("Si"));
        }
    }
}

TEST_F(DocumentFileTest, BadFilesAreRefusedAndLeftAsTheyWere)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        Status status;
    };
    const std::vector<Case> cases = {
        {"text.mem", "just some words\n", Status::NotADocument},
        {"other.mem", "<?xml version=\"1.0\"?><Materials><Material/></Materials>", Status::NotADocument},
        {"noheader.mem", "<Document><Object object-type=\"1\"/></Document>", Status::NotADocument},
        {"empty.mem", "", Status::ReadFailed},
        {"image.mem", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), Status::NotADocument},
        // The first object is complete, the file breaks off in the second: nothing is kept.
        {"cut.mem",
         "<Document><Header version=\"1\"/><Object object-type=\"1\" size-x=\"1\" size-y=\"1\" "
         "size-z=\"1\"><State>1 </State></Object><Object object-type=\"1\" size-x=\"1\" size-y=\"1\" "
         "size-z=\"1\"><State>1 ",
         Status::ReadFailed},
        {"badsize.mem",
         "<Document><Header/><Object object-type=\"1\" size-x=\"ten\" size-y=\"1\" size-z=\"1\"/></Document>",
         Status::ReadFailed},
        {"badcell.mem",
         "<Document><Header/><Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\" "
         "cellsize-z=\"nan\"/></Document>",
         Status::ReadFailed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QLatin1String(c.name));
        putBytes(file, c.bytes);
        Model::Scene scene;
        const DocumentFile::Result result = open(file, scene);
        EXPECT_EQ(result.status, c.status) << result.detail.toStdString();
        EXPECT_EQ(scene.objectCount(), 0);
        EXPECT_TRUE(scene.name().isEmpty());
        EXPECT_EQ(bytesOf(file), c.bytes);
        EXPECT_FALSE(DocumentFile::readErrorText(result).isEmpty());
    }

    Model::Scene scene;
    const DocumentFile::Result missing = open(path(QStringLiteral("absent.mem")), scene);
    EXPECT_EQ(missing.status, Status::CannotOpen);
    EXPECT_TRUE(DocumentFile::readErrorText(missing).startsWith(QStringLiteral("Unable to open")));
    EXPECT_EQ(DocumentFile::readErrorTitle, QStringLiteral("Error reading from file"));
}

TEST_F(DocumentFileTest, ImpossibleSizesAreRefusedBeforeAllocating)
{
    for (const char *sizes : {"size-x=\"4000000000\" size-y=\"4000000000\" size-z=\"4000000000\"",
                              "size-x=\"100000\" size-y=\"100000\" size-z=\"100000\"",
                              "size-x=\"99999999999\" size-y=\"1\" size-z=\"1\"",
                              "size-x=\"-3\" size-y=\"1\" size-z=\"1\""}) {
        SCOPED_TRACE(sizes);
        Model::Scene scene;
        largestAllocation.store(0);
        trackAllocations.store(true);
        const DocumentFile::Result result =
            openText(QByteArray("<Object object-type=\"1\" ") + sizes + "><State>1 2 3 </State></Object>", scene);
        trackAllocations.store(false);
        EXPECT_EQ(result.status, Status::ReadFailed);
        EXPECT_EQ(scene.objectCount(), 0);
        EXPECT_LT(largestAllocation.load(), size_t(1) << 20);
    }
}

namespace {

// Makes the machine look as if it had 64 MiB available, for one scope.
class SmallMemory
{
public:
    SmallMemory() { VolumeLimits::setMemoryQuery([] { return uint64_t(64) << 20; }); }
    ~SmallMemory() { VolumeLimits::setMemoryQuery(nullptr); }
    SmallMemory(const SmallMemory &) = delete;
    SmallMemory &operator=(const SmallMemory &) = delete;
};

} // namespace

TEST_F(DocumentFileTest, VolumesLargerThanTheAvailableMemoryAreRefusedBeforeAllocating)
{
    {
        const SmallMemory small;
        // 200 x 200 x 100 cells need 91 MiB, more than seven eighths of the 64 MiB left.
        Model::Scene scene;
        largestAllocation.store(0);
        trackAllocations.store(true);
        const DocumentFile::Result result = openText(
            "<Object object-type=\"1\" size-x=\"200\" size-y=\"200\" size-z=\"100\"><State>1 2 3 </State></Object>",
            scene);
        trackAllocations.store(false);
        EXPECT_EQ(result.status, Status::ReadFailed);
        const QString text = DocumentFile::readErrorText(result);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Unable to read a document from the specified file: "
                                                   "A volume of 200 x 200 x 100 cells needs 91 MiB")))
            << text.toStdString();
        EXPECT_EQ(scene.objectCount(), 0);
        EXPECT_LT(largestAllocation.load(), size_t(1) << 20);

        // The same check guards every volume, not only those read from files.
        EXPECT_THROW(makeVolume(200, 200, 100), std::bad_alloc);
        // 100 x 100 x 100 cells (23 MiB) still fit.
        Model::Scene fits;
        ASSERT_TRUE(openText("<Object object-type=\"1\" size-x=\"100\" size-y=\"100\" size-z=\"100\">"
                             "<State>5 </State></Object>",
                             fits)
                        .ok());
        EXPECT_EQ(countCells(onlyVolume(fits), 5), 1u);
    }

    // A thousand cells along each side need 24 GB: a small file must not get this machine
    // to commit them. Only asserted where that much cannot be spared.
    if (VolumeLimits::memoryForCells() >= uint64_t(24) * 1000 * 1000 * 1000)
        GTEST_SKIP() << "this machine could hold a 1000 x 1000 x 1000 volume";
    Model::Scene scene;
    largestAllocation.store(0);
    trackAllocations.store(true);
    const DocumentFile::Result result = openText(
        "<Object object-type=\"1\" size-x=\"1000\" size-y=\"1000\" size-z=\"1000\"><State>1 </State></Object>",
        scene);
    trackAllocations.store(false);
    EXPECT_EQ(result.status, Status::ReadFailed);
    EXPECT_TRUE(DocumentFile::readErrorText(result).contains(QStringLiteral("1000 x 1000 x 1000")));
    EXPECT_LT(largestAllocation.load(), size_t(1) << 20);
}

TEST(VolumeLimits, AvailableMemoryComesFromMemAvailable)
{
    const char meminfo[] = "MemTotal:       24683716 kB\nMemFree:        23274316 kB\n"
                           "MemAvailable:   23999928 kB\nBuffers:            6428 kB\n";
    EXPECT_EQ(VolumeLimits::memAvailableField(meminfo, sizeof(meminfo) - 1), uint64_t(23999928) * 1024);
    // Kernels without the field, and texts that are not the kernel's: unknown.
    for (const char *text : {"MemTotal: 1000 kB\nMemFree: 900 kB\n", "MemAvailable: 12\n",
                             "MemAvailable: kB\n", "XMemAvailable: 5 kB\n", ""}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(VolumeLimits::memAvailableField(text, std::strlen(text)), 0u);
    }
    // The field can be the last line, without a line break.
    const char last[] = "MemFree: 1 kB\nMemAvailable: 7 kB";
    EXPECT_EQ(VolumeLimits::memAvailableField(last, sizeof(last) - 1), 7u * 1024);

    // On this system: what is available never exceeds what is installed.
    const uint64_t physical = VolumeLimits::physicalMemory();
    const uint64_t available = VolumeLimits::systemAvailableMemory();
    EXPECT_GT(available, 0u);
    if (physical != 0) {
        EXPECT_LE(available, physical);
    }
}

TEST_F(DocumentFileTest, SavesThatFailLeaveThePreviousFile)
{
    Model::Scene scene;
    scene.add(makeVolume(1, 1, 2, {1, 0}));
    const QString file = path(QStringLiteral("keep.mem"));
    ASSERT_TRUE(DocumentFile::save(scene, file, archivers).ok());
    const QByteArray before = bytesOf(file);
    ASSERT_FALSE(before.isEmpty());

    // A bigger scene whose writing runs into a file-size limit half-way.
    Model::Scene bigger;
    bigger.add(makeVolume(100, 100, 50, std::vector<uint32_t>(100 * 100 * 50, 3)));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const DocumentFile::Result result = DocumentFile::save(bigger, file, archivers);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result.status, Status::WriteFailed);
    EXPECT_TRUE(bigger.name().isEmpty());
    EXPECT_EQ(bytesOf(file), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.mem")});

    // A file small enough to sit whole in the write buffer fails only when the buffer is
    // written out at the end; the previous file must survive that too.
    Model::Scene small;
    small.add(makeVolume(10, 10, 10, std::vector<uint32_t>(1000, 4)));
    const QString probe = path(QStringLiteral("probe.mem"));
    ASSERT_TRUE(DocumentFile::save(small, probe, archivers).ok());
    limited.rlim_cur = static_cast<rlim_t>(QFileInfo(probe).size() - 1);
    QFile::remove(probe);
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const DocumentFile::Result tail = DocumentFile::save(small, file, archivers);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(tail.status, Status::WriteFailed);
    EXPECT_EQ(bytesOf(file), before);

    // A place that cannot be written at all: reported, nothing created.
    const DocumentFile::Result nowhere =
        DocumentFile::save(scene, path(QStringLiteral("no/such/folder/x.mem")), archivers);
    EXPECT_EQ(nowhere.status, Status::CannotOpen);
    EXPECT_EQ(scene.name(), file);
    EXPECT_EQ(DocumentFile::writeErrorTitle, QStringLiteral("Error writing to file"));
    EXPECT_EQ(DocumentFile::writeErrorText, QStringLiteral("Unable to save document to the specified file."));
}

namespace {

constexpr size_t fieldSlots = TotalVolume::particleFieldSlots;

void putField(TotalVolume &volume, const QString &name, const std::vector<int32_t> &counts)
{
    ASSERT_EQ(counts.size(), volume.getCellCount() * fieldSlots);
    Model::Automaton::VoxelLock lock(volume);
    int32_t *field = volume.createParticleField(name);
    std::copy(counts.begin(), counts.end(), field);
}

// The field's counts, or nothing when the volume has no such field.
std::vector<int32_t> fieldOf(TotalVolume &volume, const QString &name)
{
    Model::Automaton::VoxelLock lock(volume);
    const int32_t *field = volume.particleField(name);
    return field ? std::vector<int32_t>(field, field + volume.getCellCount() * fieldSlots) : std::vector<int32_t>();
}

// The colour range of the field view for the three distributions (N, P, P - N).
std::vector<std::pair<float, float>> fieldRanges(TotalVolume &volume)
{
    std::vector<std::pair<float, float>> ranges;
    auto *painter = volume.getPainter();
    painter->setMode(Model::Automaton::SurfaceMode::FieldView);
    for (const Model::Automaton::FieldDistribution distribution : Model::Automaton::fieldDistributions) {
        painter->setDistribution(distribution);
        painter->regenerate();
        float minimum = -1.0f, maximum = -1.0f;
        EXPECT_TRUE(painter->fieldRange(&minimum, &maximum));
        ranges.emplace_back(minimum, maximum);
    }
    painter->setMode(Model::Automaton::SurfaceMode::DirectCubic);
    painter->regenerate();
    return ranges;
}

} // namespace

TEST_F(DocumentFileTest, ParticleCountsRoundTripWithTheirFieldView)
{
    const QString n = FieldPainter::fieldNameN, p = FieldPainter::fieldNameP;
    // One cell with only N counts, up to the largest count.
    auto one = makeVolume(1, 1, 1, {1});
    putField(*one, n, {0, 1, 22, 333, 4444, 0, 2147483647});
    // A random-walk result with both dopants: silicon under four empty layers. The deepest
    // silicon stays without particles, so the view's range starts at 0 whether or not the
    // walk's scratch marks (which documents do not store) hide the empty cells.
    auto walked = makeVolume(4, 4, 10);
    {
        Model::Automaton::VoxelLock lock(*walked);
        for (size_t i = 0; i < walked->getCellCount(); ++i)
            lock[i].setMaterialId(i % 10 < 6 ? 1u : 0u);
    }
    using Core::Operations::RandomWalkDoping;
    const float h = 1e-7f, diffusion = 2.6e-18f, halfStep = h * h / (12.0f * diffusion);
    RandomWalkDoping(walked.get(), 14, diffusion, h, halfStep, 1e24f, 1e30f, 11u).dope(halfStep * 12);
    RandomWalkDoping(walked.get(), 15, diffusion, h, halfStep, 3e23f, 1e30f, 12u).dope(halfStep * 5);
    // Without fields.
    auto plain = makeVolume(2, 1, 1, {1, 1});

    Model::Scene scene;
    for (const TotalVolumePtr &v : {one, walked, plain})
        scene.add(v);
    const QString file = path(QStringLiteral("fields.mem"));
    ASSERT_TRUE(DocumentFile::save(scene, file, archivers).ok());
    const QString text = QString::fromUtf8(bytesOf(file));
    EXPECT_TRUE(text.contains(QStringLiteral(
        "<State>1 </State><Position pos-x=\"0\" pos-y=\"0\" pos-z=\"0\"/><ParticleCounts name=\"Random Walk "
        "Particle Count Type N\">0 1 22 333 4444 0 2147483647 </ParticleCounts></Object>")));
    EXPECT_EQ(text.count(QStringLiteral("<ParticleCounts ")), 3);

    Model::Scene reopened;
    ASSERT_TRUE(open(file, reopened).ok());
    const auto objects = reopened.objects();
    ASSERT_EQ(objects.size(), 3u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto original = std::dynamic_pointer_cast<TotalVolume>(scene.objects()[i]);
        const auto back = std::dynamic_pointer_cast<TotalVolume>(objects[i]);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->materialIds(), original->materialIds());
        EXPECT_EQ(fieldOf(*back, n), fieldOf(*original, n));
        EXPECT_EQ(fieldOf(*back, p), fieldOf(*original, p));
        EXPECT_EQ(back->propertyNames(), original->propertyNames());
        EXPECT_EQ(fieldRanges(*back), fieldRanges(*original));
    }
    EXPECT_EQ(fieldOf(*std::dynamic_pointer_cast<TotalVolume>(objects[0]), n).back(), 2147483647);
    EXPECT_TRUE(fieldOf(*std::dynamic_pointer_cast<TotalVolume>(objects[0]), p).empty());
    EXPECT_FALSE(fieldOf(*walked, p).empty());
    const auto noFields = std::dynamic_pointer_cast<TotalVolume>(objects[2]);
    EXPECT_TRUE(fieldOf(*noFields, n).empty());
    EXPECT_TRUE(noFields->propertyNames().isEmpty());
}

TEST_F(DocumentFileTest, BadParticleCountsAreReadErrors)
{
    // A good volume first: a bad one after it keeps it out of the scene too.
    const QByteArray good = "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\"><State>1 </State>"
                            "<ParticleCounts name=\"Random Walk Particle Count Type P\">1 2 3 4 5 6 7 "
                            "</ParticleCounts></Object>";
    const QByteArray head = "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\"><State>1 1 </State>";
    const QByteArray typeN = "<ParticleCounts name=\"Random Walk Particle Count Type N\">";
    const QByteArray fourteen = "0 1 2 3 4 5 6 7 8 9 10 11 12 13 ";
    struct Case
    {
        QByteArray counts;
        const char *message;
    };
    const std::vector<Case> cases = {
        {typeN + "0 1 2 3 4 5 6 x 8 9 10 11 12 13 </ParticleCounts>", "hold \"x\" as number 8, which is not a count"},
        {typeN + "0 1 2 3 4 5 6 -7 8 9 10 11 12 13 </ParticleCounts>", "hold \"-7\" as number 8"},
        {typeN + "0 1 2 3 4 5 6 7 8 9 10 11 12 2147483648 </ParticleCounts>", "hold \"2147483648\" as number 14"},
        {typeN + "99999999999999999999999999999999 </ParticleCounts>", "hold \"999999999999999999999999...\" as"},
        {typeN + "0 1 2 3 4 5 6 7 8 9 10 11 12 1.5 </ParticleCounts>", "hold \"1.5\" as number 14"},
        {typeN + "0 1 2 3 </ParticleCounts>", "hold 4 numbers, but its cells need 14 (7 per cell)."},
        {typeN + "</ParticleCounts>", "hold 0 numbers, but its cells need 14"},
        {typeN + fourteen + "14 </ParticleCounts>", "hold more than the 14 numbers its cells need"},
        {typeN + fourteen + "</ParticleCounts>" + typeN + fourteen + "</ParticleCounts>",
         "holds the particle counts \"Random Walk Particle Count Type N\" twice."},
        {"<ParticleCounts name=\"Label\">" + fourteen + "</ParticleCounts>",
         "particle counts of an unknown kind, \"Label\"; the kinds are \"Random Walk Particle Count Type N\" and"},
        {"<ParticleCounts>" + fourteen + "</ParticleCounts>", "particle counts of an unknown kind, \"\""},
        {typeN + "0 1 2 3 4 5 6 <b>7</b> 8 9 10 11 12 13 </ParticleCounts>", "hold an element"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.counts.toStdString());
        Model::Scene scene;
        const DocumentFile::Result result = openText(good + head + c.counts + "</Object>", scene);
        EXPECT_EQ(result.status, Status::ReadFailed);
        const QString text = DocumentFile::readErrorText(result);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Unable to read a document from the specified file: ")));
        EXPECT_TRUE(text.contains(QLatin1String(c.message))) << text.toStdString();
        EXPECT_EQ(scene.objectCount(), 0);
        EXPECT_TRUE(scene.name().isEmpty());
    }

    // Line breaks and runs of spaces separate counts as well as single spaces do.
    Model::Scene spaced;
    ASSERT_TRUE(openText(head + typeN + "\n0  1\t2 3\r\n4 5 6 7 8 9 10 11 12 2147483647</ParticleCounts></Object>",
                         spaced)
                    .ok());
    const std::vector<int32_t> counts = fieldOf(*onlyVolume(spaced), FieldPainter::fieldNameN);
    ASSERT_EQ(counts.size(), 14u);
    EXPECT_EQ(counts[3], 3);
    EXPECT_EQ(counts[13], 2147483647);

    // The counts are checked against the memory that can be spared before they are
    // allocated: 200 x 110 x 100 cells take 50 MiB, their counts 58 MiB more than the
    // 56 MiB that 64 MiB leave.
    VolumeLimits::setMemoryQuery([] { return uint64_t(64) << 20; });
    Model::Scene scene;
    largestAllocation.store(0);
    trackAllocations.store(true);
    const DocumentFile::Result result = openText(
        "<Object object-type=\"1\" size-x=\"200\" size-y=\"110\" size-z=\"100\"><State>1 </State>" + typeN +
            "1 </ParticleCounts></Object>",
        scene);
    trackAllocations.store(false);
    VolumeLimits::setMemoryQuery(nullptr);
    EXPECT_EQ(result.status, Status::ReadFailed);
    EXPECT_TRUE(result.detail.startsWith(QStringLiteral("The particle counts of a volume of 2200000 cells need 58 MiB")))
        << result.detail.toStdString();
    EXPECT_LT(largestAllocation.load(), size_t(2200000) * 24 + (size_t(1) << 20));
    EXPECT_EQ(scene.objectCount(), 0);
}

// A volume needs a cell along every axis: a document with an empty (or absent) size is
// a read error naming the size, as Create Substrate refuses one, and no volume of such a
// size can be made at all.
TEST_F(DocumentFileTest, VolumesWithAnEmptyAxisAreRefused)
{
    const std::pair<const char *, const char *> cases[] = {
        {"size-x=\"0\" size-y=\"4\" size-z=\"4\"", "size-x"},
        {"size-x=\"4\" size-y=\"0\" size-z=\"4\"", "size-y"},
        {"size-x=\"4\" size-y=\"4\" size-z=\"0\"", "size-z"},
        {"size-x=\"4\" size-y=\"4\"", "size-z"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first);
        Model::Scene scene;
        const DocumentFile::Result result =
            openText(QByteArray("<Object object-type=\"1\" ") + c.first + "><State>1 2 3 </State></Object>", scene);
        EXPECT_EQ(result.status, Status::ReadFailed);
        EXPECT_EQ(scene.objectCount(), 0);
        EXPECT_TRUE(DocumentFile::readErrorText(result).contains(
            QStringLiteral("The cell volume's \"%1\" is 0: a volume needs at least one cell along each axis.")
                .arg(QLatin1String(c.second))))
            << DocumentFile::readErrorText(result).toStdString();
    }

    QString reason;
    EXPECT_FALSE(VolumeLimits::fits(3, 0, 2, &reason));
    EXPECT_EQ(reason, "A volume of 3 x 0 x 2 cells has no cells: it needs at least one cell along each axis.");
    EXPECT_TRUE(VolumeLimits::fits(1, 1, 1, &reason));
    EXPECT_THROW(TotalVolume(0, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D()), std::invalid_argument);
    EXPECT_THROW(TotalVolume(2, 2, 0, 1.0f, 1.0f, 1.0f, Util::Vector3D()), std::invalid_argument);
}
