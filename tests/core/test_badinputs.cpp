// Every reader of outside data against the same damaged files: each must refuse what it
// cannot read with a message (or, where it is tolerant by design, read something sane),
// and no file may change on the way.
#include "badinputs.h"
#include "testenv.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/Process/processfactory.h"
#include "Model/scene.h"
#include "Util/startupnotices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace BadInputs;
using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;

namespace {

QByteArray sample(const QString &path) { return readFile(path); }
QByteArray corpus(const char *name) { return sample(QStringLiteral(KELVANE_CORPUS_DIR "/") + name); }
QByteArray example(const char *name) { return sample(QStringLiteral(KELVANE_EXAMPLES_DIR "/") + name); }

// What a reader made of one file.
struct Outcome
{
    bool accepted = false;
    QString message; // the reason given for a refusal
};

// Feeds every variant to `read` from a fresh folder, and checks the refusals, their
// messages and that neither that folder nor the home folder changed.
void feed(const std::vector<Variant> &variants, const std::function<Outcome(const QString &path)> &read)
{
    ASSERT_GE(variants.size(), 15u);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("input"));
    // Another file next to it, which must not change either.
    ASSERT_TRUE(writeFile(folder.filePath(QStringLiteral("neighbour.mem")), "<Document/>"));
    for (const Variant &variant : variants) {
        SCOPED_TRACE(variant.name.toStdString());
        ASSERT_TRUE(writeFile(path, variant.bytes));
        const auto folderBefore = checksums(folder.path());
        const auto homeBefore = checksums(TestEnv::homeDir());
        const Outcome outcome = read(path);
        if (variant.mustFail) {
            EXPECT_FALSE(outcome.accepted);
            EXPECT_FALSE(outcome.message.trimmed().isEmpty());
        }
        EXPECT_EQ(checksums(folder.path()), folderBefore);
        EXPECT_EQ(checksums(TestEnv::homeDir()), homeBefore);
    }
}

struct BadInputMatrix : ::testing::Test
{
    void SetUp() override { MaterialFactory::instance()->resetToBuiltIns(); }
    void TearDown() override { MaterialFactory::instance()->resetToBuiltIns(); }
};

} // namespace

TEST_F(BadInputMatrix, DocumentsAreRefusedWithAReasonAndAddNothingToTheScene)
{
    // A field's name is checked like a count: anything but a known field is refused.
    const std::vector<NumberSite> sites = {
        {" size-x=\"", NumberSite::Count},     {" cellsize-y=\"", NumberSite::Finite},
        {" pos-z=\"", NumberSite::Finite},     {" object-type=\"", NumberSite::Tolerant},
        {" material-id=\"", NumberSite::Tolerant}, {" density=\"", NumberSite::Tolerant},
        {"<Header version=\"", NumberSite::Tolerant}, {"<ParticleCounts name=\"", NumberSite::Count}};
    const Model::Persistence::ArchiverRegistry archivers;
    for (const char *sample : {"document/small.mem", "document/particles.mem"}) {
        SCOPED_TRACE(sample);
        const QByteArray good = corpus(sample);
        ASSERT_FALSE(good.isEmpty());
        feed(xmlVariants(good, sites), [&](const QString &path) {
            Model::Scene scene;
            scene.setName(QStringLiteral("untitled"));
            const Model::Materials::MaterialReconciler materials(nullptr, [](const std::string &) {});
            const auto result = Model::Persistence::DocumentFile::open(path, scene, archivers, materials);
            MaterialFactory::instance()->resetToBuiltIns();
            if (!result.ok()) {
                EXPECT_EQ(scene.objectCount(), 0);
                EXPECT_EQ(scene.name(), QStringLiteral("untitled"));
                return Outcome{false, Model::Persistence::DocumentFile::readErrorText(result)};
            }
            // Whatever was read is a volume that can be used.
            for (const Model::ObjectPtr &object : scene.objects()) {
                const auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
                EXPECT_TRUE(volume && volume->getCellCount() > 0);
            }
            return Outcome{true, QString()};
        });
    }
}

TEST_F(BadInputMatrix, ProcessListsAreRefusedWithAReasonAndAppendNothing)
{
    const QByteArray good = example("allsteps.plst");
    ASSERT_FALSE(good.isEmpty());
    // Parameter values are kept as text when they do not parse, and the run reports them.
    const std::vector<NumberSite> sites = {
        {"<Process-List version=\"", NumberSite::Tolerant},
        {" process-type=\"", NumberSite::Tolerant},
        {" material-id=\"", NumberSite::Tolerant},
        {"\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"", NumberSite::Tolerant},
        {"\"Top Mask Width\" parameter-type=\"uint\" parameter-data=\"", NumberSite::Tolerant},
        {"\"Material_Id\" parameter-type=\"uint\" parameter-data=\"", NumberSite::Tolerant}};
    feed(xmlVariants(good, sites), [](const QString &path) {
        Core::BatchRun::ProcessList list;
        list.emplace_back(11, QMap<QString, QVariant>(), QMap<QString, bool>(), false);
        QString error;
        const bool loaded = Core::BatchRun::ProcessListFile::load(path, list, nullptr, &error);
        MaterialFactory::instance()->resetToBuiltIns();
        if (!loaded) {
            EXPECT_EQ(list.size(), 1u);
        }
        return Outcome{loaded, error};
    });

    // A NUL byte is named with its place; UTF-16 with its byte order mark still reads,
    // its zero bytes being part of its characters.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.plst"));
    QByteArray damaged = good;
    damaged.insert(100, '\0');
    ASSERT_TRUE(writeFile(path, damaged));
    Core::BatchRun::ProcessList list;
    QString error;
    EXPECT_FALSE(Core::BatchRun::ProcessListFile::load(path, list, nullptr, &error));
    EXPECT_EQ(error, QStringLiteral("The file holds a NUL byte (at byte 100): it is damaged or not a text file."));
    QString text = QString::fromUtf8(good);
    text.replace(QStringLiteral("encoding=\"UTF-8\""), QStringLiteral("encoding=\"UTF-16\""));
    ASSERT_TRUE(writeFile(path, QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()),
                                                                     text.size() * 2)));
    EXPECT_TRUE(Core::BatchRun::ProcessListFile::load(path, list, nullptr, &error)) << error.toStdString();
    EXPECT_EQ(list.size(), 22u);
    MaterialFactory::instance()->resetToBuiltIns();
}

TEST_F(BadInputMatrix, MaskImagesAreRefusedWithAReasonAndLeaveTheMask)
{
    const QByteArray good = corpus("mask/window.png");
    ASSERT_FALSE(good.isEmpty());
    std::vector<Variant> variants = imageVariants(good);
    // A mask given a document, and a document given a mask's name.
    variants.push_back({QStringLiteral("a document"), corpus("document/small.mem"), true, QStringLiteral("binary")});
    for (Variant &variant : xmlVariants(corpus("document/small.mem"), {}))
        if (variant.kind == QLatin1String("nested") || variant.kind == QLatin1String("not UTF-8"))
            variants.push_back(variant);
    const Core::Operations::Mask before({true, false}, 1, 2);
    feed(variants, [&](const QString &path) {
        Core::Operations::Mask mask = before;
        QString reason;
        if (!Core::Operations::Mask::fromFile(path, &mask, &reason)) {
            EXPECT_EQ(mask, before);
            return Outcome{false, reason};
        }
        EXPECT_TRUE(mask.isConsistent());
        EXPECT_GT(mask.getWidth(), 0);
        EXPECT_LE(qint64(mask.getWidth()) * mask.getHeight(), Core::Operations::Mask::maxPixels);
        return Outcome{true, QString()};
    });
}

namespace {

// Starts a catalogue from `bytes` in the home folder. A file it cannot read must be kept
// byte for byte in a backup, replaced by the built-ins, and the user told where the
// backup is; the catalogue is put back as it was afterwards.
Outcome startCatalogue(const QString &file, const QByteArray &bytes, const std::function<void()> &startUp,
                       const std::function<bool()> &holdsBuiltIns)
{
    const QString folder = TestEnv::homeDir() + QStringLiteral("/Kelvane");
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + file;
    const QByteArray original = readFile(path);
    EXPECT_TRUE(writeFile(path, bytes));
    Util::takeStartUpNotices();
    startUp();
    const QStringList notices = Util::takeStartUpNotices();
    const QString backup = path + QStringLiteral(".bak");
    Outcome outcome;
    outcome.accepted = !QFile::exists(backup);
    if (!outcome.accepted) {
        EXPECT_EQ(readFile(backup), bytes);
        EXPECT_TRUE(holdsBuiltIns());
        EXPECT_EQ(notices.size(), 1);
        outcome.message = notices.join(QLatin1Char('\n'));
        EXPECT_TRUE(outcome.message.contains(QDir::toNativeSeparators(backup))) << outcome.message.toStdString();
        EXPECT_FALSE(QFile::exists(path + QStringLiteral(".bak2")));
    } else {
        EXPECT_TRUE(notices.isEmpty());
        // A catalogue that was read is saved back only where that is its start-up rule.
        if (file == QLatin1String("materials.xml")) {
            EXPECT_EQ(readFile(path), bytes);
        }
    }
    QFile::remove(backup);
    EXPECT_TRUE(writeFile(path, original));
    startUp();
    return outcome;
}

} // namespace

TEST_F(BadInputMatrix, UnreadableCataloguesAreKeptAsTheyWereAndTheUserIsTold)
{
    const auto materials = MaterialFactory::instance();
    const auto processes = ProcessFactory::instance();
    materials->resetToBuiltIns();
    ASSERT_TRUE(materials->saveMaterials());
    ASSERT_TRUE(processes->saveProcesses());

    const QByteArray goodMaterials = corpus("materials/builtin.xml");
    ASSERT_FALSE(goodMaterials.isEmpty());
    const auto materialsAreBuiltIn = [&] {
        return materials->getMaterials().size() == MaterialFactory::builtInMaterials().size();
    };
    for (const Variant &variant : xmlVariants(goodMaterials, {{" material-id=\"", NumberSite::Tolerant},
                                                              {" density=\"", NumberSite::Tolerant},
                                                              {" color=\"", NumberSite::Tolerant}})) {
        SCOPED_TRACE("materials.xml: " + variant.name.toStdString());
        const Outcome outcome = startCatalogue(QStringLiteral("materials.xml"), variant.bytes,
                                               [&] { materials->startUp(); }, materialsAreBuiltIn);
        if (variant.mustFail) {
            EXPECT_FALSE(outcome.accepted);
        }
    }

    const QByteArray goodProcesses = corpus("processes/builtin.xml");
    ASSERT_FALSE(goodProcesses.isEmpty());
    const auto processesAreBuiltIn = [&] { return processes->getProcesses().size() == 18u; };
    for (const Variant &variant : xmlVariants(goodProcesses, {{"<Process version=\"", NumberSite::Tolerant},
                                                              {" process-id=\"", NumberSite::Tolerant}})) {
        SCOPED_TRACE("processes.xml: " + variant.name.toStdString());
        const Outcome outcome = startCatalogue(QStringLiteral("processes.xml"), variant.bytes,
                                               [&] { processes->startUp(); }, processesAreBuiltIn);
        if (variant.mustFail) {
            EXPECT_FALSE(outcome.accepted);
        }
    }
    EXPECT_EQ(QDir(TestEnv::homeDir() + "/Kelvane").entryList(QDir::Files),
              QStringList({"materials.xml", "processes.xml"}));
}
