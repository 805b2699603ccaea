// The material and process catalogues (files, start-up, look-ups, unique ids).
// The catalogues are process-wide singletons created once; every test here points HOME at
// a fresh temporary folder, runs load/save/reset/startUp on the instance directly, and
// restores HOME and the built-in catalogues afterwards.
#include "cataloguetestsupport.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <thread>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::Process;
using Model::Process::ProcessFactory;
using CatalogueTest::CatalogueFixture;
using CatalogueTest::WarningCapture;

namespace {

const char *const BuiltInMaterialsXml = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<Materials>
    <Material version="1" name="Si" material-id="1" density="2329" poisson-ratio="0.28" young-modulus="1.88e+11" color="#FF7F7F7F"/>
    <Material version="1" name="Thermal Si02" material-id="3" density="2200" poisson-ratio="0.17" young-modulus="7e+10" color="#FF7F7FFF"/>
    <Material version="1" name="Al (bulk)" material-id="4" density="2700" poisson-ratio="0.14" young-modulus="7e+10" color="#FFB2B2B2"/>
    <Material version="1" name="Cu (bulk)" material-id="5" density="8960" poisson-ratio="0.36" young-modulus="1.28e+11" color="#FFFFCC4C"/>
    <Material version="1" name="Cr (bulk)" material-id="6" density="7190" poisson-ratio="0.21" young-modulus="2.79e+11" color="#FFCCCCCC"/>
    <Material version="1" name="Ni (bulk)" material-id="7" density="8908" poisson-ratio="0.31" young-modulus="2e+11" color="#FFCCE5CC"/>
    <Material version="1" name="Pt (bulk)" material-id="8" density="21450" poisson-ratio="0.38" young-modulus="1.68e+11" color="#FFE5E5CC"/>
    <Material version="1" name="Au (bulk)" material-id="9" density="19300" poisson-ratio="0.44" young-modulus="7.9e+10" color="#FF7FFF7F"/>
    <Material version="1" name="Ti (bulk)" material-id="10" density="4506" poisson-ratio="0.32" young-modulus="1.16e+11" color="#FF4C4C4C"/>
    <Material version="1" name="Photoresist +" material-id="11" density="1000" poisson-ratio="0.4" young-modulus="1e+09" color="#FFFF7F7F"/>
    <Material version="1" name="Photoresist -" material-id="12" density="1000" poisson-ratio="0.4" young-modulus="1e+09" color="#FFFF4CFF"/>
    <Material version="1" name="PDMS" material-id="13" density="1000" poisson-ratio="0.4" young-modulus="1e+09" color="#FFFFFFFF"/>
    <Material version="1" name="N-doped Si (100)" material-id="14" density="2329" poisson-ratio="0.28" young-modulus="1.88e+11" color="#FFFFFFAA"/>
    <Material version="1" name="P-doped Si (100)" material-id="15" density="2329" poisson-ratio="0.28" young-modulus="1.88e+11" color="#FFAAAAFF"/>
    <Material version="1" name="Poly-Si" material-id="16" density="2329" poisson-ratio="0.28" young-modulus="1.88e+11" color="#FF4C7F66"/>
</Materials>
)xml";

const char *const BuiltInProcessesXml = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<Processes>
    <Process version="1" name="Si Wet Etching" process-id="1">
        <CompatibleMaterials>1</CompatibleMaterials>
    </Process>
    <Process version="1" name="DRIE" process-id="2">
        <CompatibleMaterials>1</CompatibleMaterials>
    </Process>
    <Process version="1" name="CVD" process-id="3">
        <CompatibleMaterials>3;16</CompatibleMaterials>
    </Process>
    <Process version="1" name="PVD" process-id="4">
        <CompatibleMaterials>4;5;6;7;8;9;10</CompatibleMaterials>
    </Process>
    <Process version="1" name="Film Etching" process-id="5">
        <CompatibleMaterials>3;4;5;6;7;8;9;10;11;12;13</CompatibleMaterials>
    </Process>
    <Process version="1" name="Photolithography" process-id="6">
        <CompatibleMaterials>3;4;5;6;7;8;9;10;11;12;13</CompatibleMaterials>
    </Process>
    <Process version="1" name="Planarization" process-id="7">
        <CompatibleMaterials/>
    </Process>
    <Process version="1" name="Spin Coating / Soft Lithography" process-id="8">
        <CompatibleMaterials>11;12;13</CompatibleMaterials>
    </Process>
    <Process version="1" name="Isotropic Deposition" process-id="9">
        <CompatibleMaterials>3;4;5;6;7;8;9;10</CompatibleMaterials>
    </Process>
    <Process version="1" name="Isotropic Etching" process-id="10">
        <CompatibleMaterials>1;3;4;5;6;7;8;9;10;11;12;13</CompatibleMaterials>
    </Process>
    <Process version="1" name="Electroplating" process-id="11">
        <CompatibleMaterials>4;5;6;7;8;9;10</CompatibleMaterials>
    </Process>
    <Process version="1" name="Simple Si Oxidation" process-id="12">
        <CompatibleMaterials>1;14;15;16</CompatibleMaterials>
    </Process>
    <Process version="1" name="Simple Doping" process-id="13">
        <CompatibleMaterials>1;14;15;16</CompatibleMaterials>
    </Process>
    <Process version="1" name="Ion Implantation" process-id="14">
        <CompatibleMaterials>1;14;15;16</CompatibleMaterials>
    </Process>
    <Process version="1" name="Ion Implantation" process-id="15">
        <CompatibleMaterials>1;14;15;16</CompatibleMaterials>
    </Process>
    <Process version="1" name="Anisotropic Deposition" process-id="16">
        <CompatibleMaterials>1;3;4;5;6;7;8;9;10;11;12;13;14;15;16</CompatibleMaterials>
    </Process>
    <Process version="1" name="Anisotropic Etching" process-id="17">
        <CompatibleMaterials>1;3;4;5;6;7;8;9;10;11;12;13;14;15;16</CompatibleMaterials>
    </Process>
    <Process version="1" name="Isotropic Deposition" process-id="18">
        <CompatibleMaterials>1;3;4;5;6;7;8;9;10;11;12;13;14;15;16</CompatibleMaterials>
    </Process>
</Processes>
)xml";

std::vector<uint32_t> ids(std::initializer_list<uint32_t> list) { return list; }

std::vector<uint32_t> materialIds()
{
    std::vector<uint32_t> result;
    for (const Material &m : MaterialFactory::instance()->getMaterials())
        result.push_back(m.id);
    return result;
}

std::vector<int32_t> processIds()
{
    std::vector<int32_t> result;
    for (const Process &p : ProcessFactory::instance()->getProcesses())
        result.push_back(p.id);
    return result;
}

void expectSameMaterial(const Material &a, const Material &b)
{
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.density, b.density) << a.name.toStdString();
    EXPECT_EQ(a.youngModulus, b.youngModulus) << a.name.toStdString();
    EXPECT_EQ(a.poissonRatio, b.poissonRatio) << a.name.toStdString();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a.color[i], b.color[i]) << a.name.toStdString() << " component " << i;
}

// Equal after a trip through the file: numbers exactly, colours as their 8-bit text.
void expectSameMaterialAfterFile(const Material &a, const Material &b)
{
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.density, b.density) << a.name.toStdString();
    EXPECT_EQ(a.youngModulus, b.youngModulus) << a.name.toStdString();
    EXPECT_EQ(a.poissonRatio, b.poissonRatio) << a.name.toStdString();
    EXPECT_EQ(MaterialFactory::colorToString(a.color), MaterialFactory::colorToString(b.color));
}

void expectBuiltInMaterials()
{
    const std::vector<Material> actual = MaterialFactory::instance()->getMaterials();
    const std::vector<Material> expected = MaterialFactory::builtInMaterials();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        expectSameMaterialAfterFile(actual[i], expected[i]);
}

void expectBuiltInProcesses()
{
    const std::vector<Process> actual = ProcessFactory::instance()->getProcesses();
    const std::vector<Process> expected = ProcessFactory::builtInProcesses();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].id, expected[i].id);
        EXPECT_EQ(actual[i].name, expected[i].name);
        EXPECT_EQ(actual[i].compatibleMaterials, expected[i].compatibleMaterials);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Built-in tables

TEST(MaterialCatalogueTables, BuiltInMaterialsHoldTheShippedTable)
{
    const std::vector<Material> m = MaterialFactory::builtInMaterials();
    ASSERT_EQ(m.size(), 15u);
    const uint32_t expectedIds[] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (size_t i = 0; i < m.size(); ++i)
        EXPECT_EQ(m[i].id, expectedIds[i]);

    EXPECT_EQ(m[0].name, QStringLiteral("Si"));
    EXPECT_EQ(m[0].density, 2329.0f);
    EXPECT_EQ(m[0].youngModulus, 1.88e11f);
    EXPECT_EQ(m[0].poissonRatio, 0.28f);
    EXPECT_EQ(m[0].color[0], 0.5f);
    EXPECT_EQ(m[0].color[3], 1.0f);
    EXPECT_EQ(m[1].name, QStringLiteral("Thermal Si02"));
    EXPECT_EQ(m[1].youngModulus, 7e10f);
    EXPECT_EQ(m[1].color[2], 1.0f);
    EXPECT_EQ(m[4].name, QStringLiteral("Cr (bulk)"));
    EXPECT_EQ(m[4].youngModulus, 2.79e11f);
    EXPECT_EQ(m[6].name, QStringLiteral("Pt (bulk)"));
    EXPECT_EQ(m[6].density, 21450.0f);
    EXPECT_EQ(m[10].name, QStringLiteral("Photoresist -"));
    EXPECT_EQ(m[10].color[1], 0.3f);
    EXPECT_EQ(m[12].name, QStringLiteral("N-doped Si (100)"));
    EXPECT_EQ(m[12].color[2], 0.67f);
    EXPECT_EQ(m[14].name, QStringLiteral("Poly-Si"));
    EXPECT_EQ(m[14].color[1], 0.5f);
    EXPECT_EQ(m[14].color[2], 0.4f);
}

TEST(MaterialCatalogueTables, ColourTextIsAlphaRedGreenBlueTruncated)
{
    const float si[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    EXPECT_EQ(MaterialFactory::colorToString(si), QStringLiteral("#FF7F7F7F"));
    const float mixed[4] = {0.0f, 1.0f, 0.3f, 0.0f};
    EXPECT_EQ(MaterialFactory::colorToString(mixed), QStringLiteral("#0000FF4C"));
    const float outOfRange[4] = {1.5f, -0.2f, 0.01f, 1.0f};
    EXPECT_EQ(MaterialFactory::colorToString(outOfRange), QStringLiteral("#FFFF0002"));
}

TEST(ProcessCatalogueTables, BuiltInProcessesHoldTheShippedTable)
{
    const std::vector<Process> p = ProcessFactory::builtInProcesses();
    ASSERT_EQ(p.size(), 18u);
    for (size_t i = 0; i < p.size(); ++i)
        EXPECT_EQ(p[i].id, static_cast<int32_t>(i + 1));
    EXPECT_EQ(p[2].compatibleMaterials, ids({3, 16}));
    EXPECT_EQ(p[4].compatibleMaterials, ids({3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_TRUE(p[6].compatibleMaterials.empty());
    EXPECT_EQ(p[9].compatibleMaterials, ids({1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(p[10].compatibleMaterials, ids({4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(p[17].compatibleMaterials,
              ids({1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    // The two names that occur twice.
    EXPECT_EQ(p[13].name, QStringLiteral("Ion Implantation"));
    EXPECT_EQ(p[14].name, QStringLiteral("Ion Implantation"));
    EXPECT_EQ(p[8].name, QStringLiteral("Isotropic Deposition"));
    EXPECT_EQ(p[17].name, QStringLiteral("Isotropic Deposition"));
}

TEST(ProcessCatalogueTables, CompatibleMaterialsTextSkipsEmptyAndNonNumericParts)
{
    EXPECT_EQ(ProcessFactory::parseCompatibleMaterials(QStringLiteral("3;;x;5")), ids({3, 5}));
    EXPECT_TRUE(ProcessFactory::parseCompatibleMaterials(QString()).empty());
    EXPECT_TRUE(ProcessFactory::parseCompatibleMaterials(QStringLiteral(";;")).empty());
    EXPECT_EQ(ProcessFactory::parseCompatibleMaterials(QStringLiteral("16;-1;2.5;7;")),
              ids({16, 7}));
    EXPECT_EQ(ProcessFactory::compatibleMaterialsText({3, 16}), QStringLiteral("3;16"));
    EXPECT_EQ(ProcessFactory::compatibleMaterialsText({}), QString());
}

// ---------------------------------------------------------------------------------------
// Start-up of the real singletons (created with the run's temporary home)

TEST(CatalogueStartUp, FirstUseWroteBothFilesIntoTheRunsHome)
{
    CatalogueFixture::ensureCreated();
    EXPECT_TRUE(QFileInfo(TestEnv::homeDir() + "/Kelvane/materials.xml").isFile());
    EXPECT_TRUE(QFileInfo(TestEnv::homeDir() + "/Kelvane/processes.xml").isFile());
    EXPECT_EQ(MaterialFactory::instance(), MaterialFactory::instance());
    EXPECT_EQ(ProcessFactory::instance(), ProcessFactory::instance());
}

// ---------------------------------------------------------------------------------------
// Look-ups

class MaterialCatalogue : public CatalogueFixture
{
};

TEST_F(MaterialCatalogue, FilePathIsUnderTheHomeFolder)
{
    EXPECT_EQ(MaterialFactory::filePath(), home.path() + "/Kelvane/materials.xml");
    EXPECT_EQ(ProcessFactory::filePath(), home.path() + "/Kelvane/processes.xml");
}

TEST_F(MaterialCatalogue, GetMaterialOfAnAbsentIdIsTheEmptyMaterial)
{
    auto f = MaterialFactory::instance();
    const Material two = f->getMaterial(2);
    EXPECT_EQ(two.name, QStringLiteral("Empty"));
    expectSameMaterial(two, Material::empty());
    EXPECT_EQ(two.color[0], 0.5f);
    EXPECT_EQ(two.color[3], 1.0f);
    EXPECT_EQ(f->getMaterial(0).name, QStringLiteral("Empty"));
    EXPECT_EQ(f->getMaterial(1).name, QStringLiteral("Si"));
    EXPECT_EQ(materialIds(), ids({1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
}

TEST_F(MaterialCatalogue, GetMaterialByNameIsExactAndFirstInIdOrder)
{
    auto f = MaterialFactory::instance();
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("Poly-Si")).id, 16u);
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("si")).id, 0u);
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("si")).name, QStringLiteral("Empty"));
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("Si ")).id, 0u);
    Material twin = f->getMaterial(5);
    twin.id = 3000;
    twin.name = QStringLiteral("Si");
    ASSERT_TRUE(f->setMaterial(twin));
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("Si")).id, 1u);
    twin.id = 20;
    twin.name = QStringLiteral("Twin");
    ASSERT_TRUE(f->setMaterial(twin));
    twin.id = 19;
    ASSERT_TRUE(f->setMaterial(twin));
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("Twin")).id, 19u);
}

TEST_F(MaterialCatalogue, SetMaterialWithIdZeroIsRefused)
{
    auto f = MaterialFactory::instance();
    Material m;
    m.name = QStringLiteral("Nothing");
    EXPECT_FALSE(f->setMaterial(m));
    expectBuiltInMaterials();
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("Nothing")).id, 0u);
}

TEST_F(MaterialCatalogue, SetMaterialInsertsOrReplacesInIdOrder)
{
    auto f = MaterialFactory::instance();
    Material m;
    m.id = 2;
    m.name = QStringLiteral("Two");
    m.density = 12.5f;
    EXPECT_TRUE(f->setMaterial(m));
    EXPECT_EQ(materialIds(), ids({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    expectSameMaterial(f->getMaterial(2), m);
    m.id = 1;
    m.name = QStringLiteral("Not Si");
    EXPECT_TRUE(f->setMaterial(m));
    EXPECT_EQ(f->getMaterial(1).name, QStringLiteral("Not Si"));
    EXPECT_EQ(f->getMaterials().size(), 16u);
    f->resetToBuiltIns();
    expectBuiltInMaterials();
}

TEST_F(MaterialCatalogue, UniqueIdFormulaUsesSinglePrecision)
{
    EXPECT_EQ(MaterialFactory::idFromRandom(0), 2000u);
    EXPECT_EQ(MaterialFactory::idFromRandom(1), 2000u);
    EXPECT_EQ(MaterialFactory::idFromRandom(2), 2001u);
    EXPECT_EQ(MaterialFactory::idFromRandom(16384), 17383u);
    EXPECT_EQ(MaterialFactory::idFromRandom(32767), 32766u);
    // 5011 * 30767 = 154173437 rounds up in single precision to 154173440 = 4705 * 32768;
    // exact integer arithmetic would give 4704.
    EXPECT_EQ(MaterialFactory::idFromRandom(5011), 6705u);
    // Larger generator ranges (glibc's RAND_MAX) keep the low 15 bits.
    EXPECT_EQ(MaterialFactory::idFromRandom(32768), 2000u);
    EXPECT_EQ(MaterialFactory::idFromRandom(RAND_MAX), 32766u);
    std::set<uint32_t> all;
    for (int r = 0; r < 32768; ++r) {
        const uint32_t id = MaterialFactory::idFromRandom(r);
        ASSERT_GE(id, 2000u);
        ASSERT_LE(id, 32766u);
        all.insert(id);
    }
    EXPECT_EQ(all.size(), 30767u); // every id of 2000..32766 can come out
}

TEST_F(MaterialCatalogue, GeneratedIdsAreInRangeAndNotInTheCatalogue)
{
    auto f = MaterialFactory::instance();
    for (int i = 0; i < 2000; ++i) {
        const uint32_t id = f->generateUniqueMaterialId();
        ASSERT_GE(id, 2000u);
        ASSERT_LE(id, 32766u);
        ASSERT_EQ(f->getMaterial(id).id, 0u);
    }
    // Fill every id but one: the generator has to find the gap.
    Material m;
    m.name = QStringLiteral("Filler");
    for (uint32_t id = 2000; id <= 32766; ++id) {
        if (id == 31000)
            continue;
        m.id = id;
        f->setMaterial(m);
    }
    EXPECT_EQ(f->generateUniqueMaterialId(), 31000u);
    // No id left at all: 0 (which setMaterial refuses) instead of an endless loop.
    m.id = 31000;
    f->setMaterial(m);
    WarningCapture warnings;
    EXPECT_EQ(f->generateUniqueMaterialId(), 0u);
    EXPECT_FALSE(warnings.messages().isEmpty());
    f->resetToBuiltIns();
}

TEST_F(MaterialCatalogue, LookUpsFromWorkerThreadsWhileEditing)
{
    auto f = MaterialFactory::instance();
    std::atomic<int> reads{0};
    std::atomic<bool> consistent{true};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (f->getMaterial(1).id != 1 || f->getMaterials().size() < 15 ||
                    f->getMaterialByName(QStringLiteral("PDMS")).id != 13)
                    consistent = false;
                ++reads;
            }
        });
    Material m;
    m.name = QStringLiteral("Edited");
    for (uint32_t id = 100; id < 600; ++id) {
        m.id = id;
        f->setMaterial(m);
        f->generateUniqueMaterialId();
    }
    for (std::thread &t : readers)
        t.join();
    EXPECT_TRUE(consistent.load());
    EXPECT_EQ(reads.load(), 6000);
    EXPECT_EQ(f->getMaterials().size(), 515u);
}

// ---------------------------------------------------------------------------------------
// Material file

TEST_F(MaterialCatalogue, SavedFileIsByteForByteTheFormat)
{
    auto f = MaterialFactory::instance();
    EXPECT_FALSE(QDir(home.path() + "/Kelvane").exists());
    ASSERT_TRUE(f->saveMaterials()); // creates the folder
    const QString text = readFile("materials.xml");
    EXPECT_TRUE(text.contains(QStringLiteral(
        "    <Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" "
        "poisson-ratio=\"0.28\" young-modulus=\"1.88e+11\" color=\"#FF7F7F7F\"/>\n")));
    EXPECT_EQ(text.toStdString(), std::string(BuiltInMaterialsXml));
}

TEST_F(MaterialCatalogue, SavedFileReadsBackEqualAndSavesIdentically)
{
    auto f = MaterialFactory::instance();
    Material custom;
    custom.id = 2345;
    custom.name = QStringLiteral("Custom <&> \"quoted\"");
    custom.density = 1234.5f;
    custom.youngModulus = 3.5e-3f;
    custom.poissonRatio = 0.125f;
    custom.color[0] = 0.0f;
    custom.color[1] = 0.25f;
    custom.color[2] = 1.0f;
    custom.color[3] = 0.5f;
    ASSERT_TRUE(f->setMaterial(custom));
    const std::vector<Material> before = f->getMaterials();
    ASSERT_TRUE(f->saveMaterials());
    const QByteArray first = readBytes("materials.xml");
    EXPECT_TRUE(first.contains("young-modulus=\"0.0035\" color=\"#7F003FFF\"/>"));

    f->resetToBuiltIns();
    ASSERT_TRUE(f->loadMaterials());
    const std::vector<Material> after = f->getMaterials();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        expectSameMaterialAfterFile(after[i], before[i]);
    EXPECT_EQ(f->getMaterial(2345).name, custom.name);

    ASSERT_TRUE(f->saveMaterials());
    EXPECT_EQ(readBytes("materials.xml"), first);
}

TEST_F(MaterialCatalogue, ReadingTakesAttributesInAnyOrderAndSkipsInvalidEntries)
{
    writeFile("materials.xml", R"xml(<?xml version="1.0"?>
<Materials>
  <Material color="#80FF0000" young-modulus="5e+09" name="Reordered" poisson-ratio="0.3" density="10" material-id="40" version="7" extra="x"/>
  <Material name="Bare" material-id="41"/>
  <Material name="Named colour" material-id="42" color="blue"/>
  <Material name="Bad colour" material-id="43" color="#nothex"/>
  <Material name="No id" density="1"/>
  <Material name="Zero id" material-id="0"/>
  <Material name="" material-id="44"/>
  <Material name="Negative" material-id="-5"/>
  <Other name="Not a material" material-id="45"/>
  <Group><Material name="Nested" material-id="46"/></Group>
  <Material name="Replaced Si" material-id="1" density="1"/>
</Materials>
)xml");
    auto f = MaterialFactory::instance();
    ASSERT_TRUE(f->loadMaterials());

    const Material a = f->getMaterial(40);
    EXPECT_EQ(a.name, QStringLiteral("Reordered"));
    EXPECT_EQ(a.density, 10.0f);
    EXPECT_EQ(a.youngModulus, 5e9f);
    EXPECT_EQ(a.poissonRatio, 0.3f);
    EXPECT_EQ(a.color[0], 1.0f);
    EXPECT_EQ(a.color[1], 0.0f);
    EXPECT_EQ(MaterialFactory::colorToString(a.color), QStringLiteral("#80FF0000"));

    // Absent attributes: 0 for the numbers, the empty material's colour.
    const Material bare = f->getMaterial(41);
    EXPECT_EQ(bare.name, QStringLiteral("Bare"));
    EXPECT_EQ(bare.density, 0.0f);
    EXPECT_EQ(bare.youngModulus, 0.0f);
    EXPECT_EQ(bare.poissonRatio, 0.0f);
    EXPECT_EQ(MaterialFactory::colorToString(bare.color), QStringLiteral("#FF7F7F7F"));

    EXPECT_EQ(MaterialFactory::colorToString(f->getMaterial(42).color),
              QStringLiteral("#FF0000FF"));
    EXPECT_EQ(MaterialFactory::colorToString(f->getMaterial(43).color),
              QStringLiteral("#FF7F7F7F"));
    EXPECT_EQ(f->getMaterial(44).id, 0u);
    EXPECT_EQ(f->getMaterial(45).id, 0u);
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("No id")).id, 0u);
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("Zero id")).id, 0u);
    EXPECT_EQ(f->getMaterialByName(QStringLiteral("Negative")).id, 0u);
    // Every start element is examined, nested ones too.
    EXPECT_EQ(f->getMaterial(46).name, QStringLiteral("Nested"));
    // Same id replaces; entries not in the file stay.
    EXPECT_EQ(f->getMaterial(1).name, QStringLiteral("Replaced Si"));
    EXPECT_EQ(f->getMaterial(16).name, QStringLiteral("Poly-Si"));
}

TEST_F(MaterialCatalogue, LowerCaseRootIsRejectedAndReplacedByTheBuiltIns)
{
    const char *const lower = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<materials>
    <Material version="1" name="Custom" material-id="40" density="1" poisson-ratio="0.1" young-modulus="1" color="#FF000000"/>
</materials>
)xml";
    writeFile("materials.xml", lower);
    auto f = MaterialFactory::instance();
    WarningCapture warnings;
    EXPECT_FALSE(f->loadMaterials());
    EXPECT_EQ(f->getMaterial(40).id, 0u);

    f->startUp();
    expectBuiltInMaterials();
    EXPECT_EQ(readFile("materials.xml").toStdString(), std::string(BuiltInMaterialsXml));
    EXPECT_FALSE(warnings.messages().isEmpty());
}

TEST_F(MaterialCatalogue, StartUpWithAGoodFileKeepsItsContents)
{
    writeFile("materials.xml", R"xml(<?xml version="1.0"?>
<Materials><Material name="Only" material-id="7" density="3"/></Materials>)xml");
    auto f = MaterialFactory::instance();
    f->startUp();
    EXPECT_EQ(materialIds(), ids({7}));
    EXPECT_EQ(f->getMaterial(7).name, QStringLiteral("Only"));
    // Nothing was written back: the file is as it was.
    EXPECT_TRUE(readFile("materials.xml").contains(QStringLiteral("name=\"Only\"")));
    EXPECT_FALSE(readFile("materials.xml").contains(QStringLiteral("Si")));
}

TEST_F(MaterialCatalogue, MissingFileAtStartUpInstallsAndWritesTheBuiltIns)
{
    auto f = MaterialFactory::instance();
    Material extra;
    extra.id = 99;
    extra.name = QStringLiteral("Gone after start-up");
    f->setMaterial(extra);
    f->startUp();
    expectBuiltInMaterials();
    EXPECT_EQ(readFile("materials.xml").toStdString(), std::string(BuiltInMaterialsXml));
}

TEST_F(MaterialCatalogue, MalformedFileNeverStopsStartUp)
{
    // Root accepted, then a syntax error: materials read before the error stay.
    writeFile("materials.xml", R"xml(<?xml version="1.0"?>
<Materials>
  <Material name="Before the error" material-id="50"/>
  <Material name="Broken" material-id="51" <<<
</Materials>)xml");
    auto f = MaterialFactory::instance();
    WarningCapture warnings;
    EXPECT_FALSE(f->loadMaterials());
    EXPECT_EQ(f->getMaterial(50).name, QStringLiteral("Before the error"));
    EXPECT_FALSE(warnings.messages().isEmpty());

    const QByteArray damaged = readBytes("materials.xml");
    f->startUp();
    EXPECT_EQ(f->getMaterial(1).name, QStringLiteral("Si"));
    EXPECT_EQ(f->getMaterial(50).name, QStringLiteral("Before the error"));
    EXPECT_EQ(f->getMaterials().size(), 16u);
    // The user's damaged file is kept next to the rewritten one.
    EXPECT_EQ(readBytes("materials.xml.bak"), damaged);
    // The file was rewritten and is well-formed now.
    f->resetToBuiltIns();
    EXPECT_TRUE(f->loadMaterials());
    EXPECT_EQ(f->getMaterial(50).name, QStringLiteral("Before the error"));

    // Truncated and empty files, and text that is not XML at all.
    for (const char *text : {"<?xml version=\"1.0\"?><Materials><Material name=\"T\" material-id=\"8\"",
                             "", "not xml", "<Materials></Materials><Materials/>"}) {
        writeFile("materials.xml", text);
        EXPECT_FALSE(f->loadMaterials()) << text;
        f->startUp();
        EXPECT_EQ(f->getMaterial(1).name, QStringLiteral("Si")) << text;
        EXPECT_EQ(f->getMaterial(16).name, QStringLiteral("Poly-Si")) << text;
    }
}

TEST_F(MaterialCatalogue, DirectoryInPlaceOfTheFileNeverStopsStartUp)
{
    ASSERT_TRUE(QDir().mkpath(home.path() + "/Kelvane/materials.xml"));
    auto f = MaterialFactory::instance();
    WarningCapture warnings;
    EXPECT_FALSE(f->loadMaterials());
    f->startUp();
    expectBuiltInMaterials();
    EXPECT_FALSE(f->saveMaterials());
    EXPECT_TRUE(QFileInfo(home.path() + "/Kelvane/materials.xml").isDir());
    EXPECT_FALSE(warnings.messages().isEmpty());
}

TEST_F(MaterialCatalogue, UnwritableHomeKeepsTheBuiltInsInMemory)
{
    // HOME below a regular file: the folder can never be created.
    QFile plain(home.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("HOME", (home.path() + "/plain/home").toLocal8Bit());
    auto f = MaterialFactory::instance();
    WarningCapture warnings;
    EXPECT_NO_THROW(f->startUp());
    expectBuiltInMaterials();
    EXPECT_FALSE(f->saveMaterials());
    EXPECT_FALSE(warnings.messages().isEmpty());
    EXPECT_EQ(f->getMaterial(1).name, QStringLiteral("Si"));
}

// ---------------------------------------------------------------------------------------
// Process catalogue

class ProcessCatalogue : public CatalogueFixture
{
};

TEST_F(ProcessCatalogue, LookUpsAndSetProcess)
{
    auto f = ProcessFactory::instance();
    const Process none = f->getProcess(99);
    EXPECT_TRUE(none.name.isEmpty());
    EXPECT_EQ(none.id, 0);
    EXPECT_TRUE(none.compatibleMaterials.empty());
    EXPECT_EQ(f->getProcess(15).name, QStringLiteral("Ion Implantation"));
    EXPECT_EQ(f->getProcess(3).compatibleMaterials, ids({3, 16}));

    Process p;
    p.name = QStringLiteral("Nothing");
    EXPECT_FALSE(f->setProcess(p));
    expectBuiltInProcesses();

    p.id = 25;
    p.compatibleMaterials = {9, 1};
    EXPECT_TRUE(f->setProcess(p));
    p.id = -3;
    EXPECT_TRUE(f->setProcess(p));
    EXPECT_EQ(processIds().front(), -3);
    EXPECT_EQ(processIds().back(), 25);
    EXPECT_EQ(f->getProcess(25).compatibleMaterials, ids({9, 1}));
    p.id = 3;
    p.compatibleMaterials.clear();
    EXPECT_TRUE(f->setProcess(p));
    EXPECT_TRUE(f->getProcess(3).compatibleMaterials.empty());

    f->resetToDefaults();
    expectBuiltInProcesses();
}

TEST_F(ProcessCatalogue, MergeDefaultsAddsOnlyMissingIds)
{
    auto f = ProcessFactory::instance();
    Process mine;
    mine.id = 10;
    mine.name = QStringLiteral("My etching");
    mine.compatibleMaterials = {1};
    f->setProcess(mine);
    mine.id = 40;
    f->setProcess(mine);
    f->mergeDefaults();
    EXPECT_EQ(f->getProcess(10).name, QStringLiteral("My etching"));
    EXPECT_EQ(f->getProcess(10).compatibleMaterials, ids({1}));
    EXPECT_EQ(f->getProcess(40).name, QStringLiteral("My etching"));
    EXPECT_EQ(f->getProcesses().size(), 19u);
    f->resetToDefaults();
    expectBuiltInProcesses();
}

TEST_F(ProcessCatalogue, SavedFileIsByteForByteTheFormat)
{
    auto f = ProcessFactory::instance();
    ASSERT_TRUE(f->saveProcesses());
    const QString text = readFile("processes.xml");
    EXPECT_TRUE(text.contains(QStringLiteral(
        "    <Process version=\"1\" name=\"CVD\" process-id=\"3\">\n"
        "        <CompatibleMaterials>3;16</CompatibleMaterials>\n"
        "    </Process>\n")));
    EXPECT_EQ(text.toStdString(), std::string(BuiltInProcessesXml));
}

TEST_F(ProcessCatalogue, SavedFileReadsBackEqualAndSavesIdentically)
{
    auto f = ProcessFactory::instance();
    Process p;
    p.id = 30;
    p.name = QStringLiteral("Custom & new");
    p.compatibleMaterials = {16, 1, 2001};
    f->setProcess(p);
    ASSERT_TRUE(f->saveProcesses());
    const QByteArray first = readBytes("processes.xml");

    f->resetToDefaults();
    ASSERT_TRUE(f->loadProcesses());
    EXPECT_EQ(f->getProcesses().size(), 19u);
    EXPECT_EQ(f->getProcess(30).name, p.name);
    EXPECT_EQ(f->getProcess(30).compatibleMaterials, p.compatibleMaterials);
    EXPECT_TRUE(f->getProcess(7).compatibleMaterials.empty());
    ASSERT_TRUE(f->saveProcesses());
    EXPECT_EQ(readBytes("processes.xml"), first);

    f->startUp(); // load + merge + save: nothing changes
    EXPECT_EQ(readBytes("processes.xml"), first);
}

TEST_F(ProcessCatalogue, FileWithoutProcess18GainsItAtStartUpAndIsRewritten)
{
    QString text = QString::fromUtf8(BuiltInProcessesXml);
    const QString p18 = QStringLiteral(
        "    <Process version=\"1\" name=\"Isotropic Deposition\" process-id=\"18\">\n"
        "        <CompatibleMaterials>1;3;4;5;6;7;8;9;10;11;12;13;14;15;16</CompatibleMaterials>\n"
        "    </Process>\n");
    ASSERT_TRUE(text.contains(p18));
    text.remove(p18);
    // An edited entry, to show that merging leaves existing entries alone.
    text.replace(QStringLiteral("<CompatibleMaterials>3;16</CompatibleMaterials>"),
                 QStringLiteral("<CompatibleMaterials>3;;x;5</CompatibleMaterials>"));
    writeFile("processes.xml", text.toUtf8());

    auto f = ProcessFactory::instance();
    f->resetToDefaults();
    ASSERT_TRUE(f->loadProcesses());
    EXPECT_EQ(f->getProcess(3).compatibleMaterials, ids({3, 5}));

    f->startUp();
    EXPECT_EQ(f->getProcess(18).name, QStringLiteral("Isotropic Deposition"));
    EXPECT_EQ(f->getProcess(18).compatibleMaterials,
              ids({1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(f->getProcess(3).compatibleMaterials, ids({3, 5}));
    const QString written = readFile("processes.xml");
    EXPECT_TRUE(written.contains(p18));
    EXPECT_TRUE(written.contains(QStringLiteral("<CompatibleMaterials>3;5</CompatibleMaterials>")));
    EXPECT_TRUE(written.endsWith(p18 + QStringLiteral("</Processes>\n")));
}

TEST_F(ProcessCatalogue, ReadingTakesAttributesInAnyOrderAndSkipsInvalidEntries)
{
    writeFile("processes.xml", R"xml(<?xml version="1.0"?>
<Processes>
  <Process process-id="40" version="3" name="Reordered"><CompatibleMaterials>3;;x;5</CompatibleMaterials></Process>
  <Process name="No version" process-id="41"><CompatibleMaterials>1</CompatibleMaterials></Process>
  <Process name="Bad version" process-id="42" version="one"><CompatibleMaterials>1</CompatibleMaterials></Process>
  <Process name="" process-id="43" version="1"><CompatibleMaterials>1</CompatibleMaterials></Process>
  <Process name="Zero" process-id="0" version="1"><CompatibleMaterials>1</CompatibleMaterials></Process>
  <Process name="Negative" process-id="-4" version="1"><CompatibleMaterials>1</CompatibleMaterials></Process>
  <Process name="Empty list" process-id="44" version="1"><CompatibleMaterials/></Process>
  <Process name="No list" process-id="45" version="1"></Process>
  <Process name="After no list" process-id="46" version="1"><CompatibleMaterials>16</CompatibleMaterials></Process>
  <Process name="Wrong child" process-id="47" version="1"><Other/><CompatibleMaterials>1</CompatibleMaterials></Process>
  <Process name="Replaced CVD" process-id="3" version="1"><CompatibleMaterials> 16 ;3</CompatibleMaterials></Process>
</Processes>
)xml");
    auto f = ProcessFactory::instance();
    ASSERT_TRUE(f->loadProcesses());
    EXPECT_EQ(f->getProcess(40).name, QStringLiteral("Reordered"));
    EXPECT_EQ(f->getProcess(40).compatibleMaterials, ids({3, 5}));
    EXPECT_EQ(f->getProcess(41).id, 0);
    EXPECT_EQ(f->getProcess(42).id, 0);
    EXPECT_EQ(f->getProcess(43).id, 0);
    EXPECT_EQ(f->getProcess(-4).id, 0);
    EXPECT_EQ(f->getProcess(44).name, QStringLiteral("Empty list"));
    EXPECT_TRUE(f->getProcess(44).compatibleMaterials.empty());
    // The next start element after "No list" is the following Process, which is read.
    EXPECT_EQ(f->getProcess(45).id, 0);
    EXPECT_EQ(f->getProcess(46).compatibleMaterials, ids({16}));
    EXPECT_EQ(f->getProcess(47).id, 0);
    EXPECT_EQ(f->getProcess(3).name, QStringLiteral("Replaced CVD"));
    EXPECT_EQ(f->getProcess(3).compatibleMaterials, ids({16, 3}));
    EXPECT_EQ(f->getProcess(18).name, QStringLiteral("Isotropic Deposition"));
}

TEST_F(ProcessCatalogue, BadFilesNeverStopStartUp)
{
    auto f = ProcessFactory::instance();
    WarningCapture warnings;
    for (const char *text :
         {"<?xml version=\"1.0\"?><processes></processes>", "", "garbage",
          "<?xml version=\"1.0\"?><Processes><Process name=\"Half\" process-id=\"30\" "
          "version=\"1\"><CompatibleMaterials>1</CompatibleMaterials></Process><Process"}) {
        writeFile("processes.xml", text);
        EXPECT_FALSE(f->loadProcesses()) << text;
        f->startUp(); // load fails: reset to exactly the built-ins, then save
        expectBuiltInProcesses();
        EXPECT_EQ(readFile("processes.xml").toStdString(), std::string(BuiltInProcessesXml));
    }
    EXPECT_FALSE(warnings.messages().isEmpty());
    // Each rejected file was kept before it was replaced, under the next free name.
    EXPECT_EQ(readBytes("processes.xml.bak"), QByteArray("<?xml version=\"1.0\"?><processes></processes>"));
    EXPECT_EQ(readBytes("processes.xml.bak3"), QByteArray("garbage"));

    QFile::remove(home.path() + "/Kelvane/processes.xml");
    ASSERT_TRUE(QDir().mkpath(home.path() + "/Kelvane/processes.xml"));
    EXPECT_FALSE(f->loadProcesses());
    EXPECT_NO_THROW(f->startUp());
    expectBuiltInProcesses();
    EXPECT_FALSE(f->saveProcesses());
}

TEST_F(ProcessCatalogue, UnwritableHomeKeepsTheBuiltInsInMemory)
{
    QFile plain(home.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("HOME", (home.path() + "/plain/home").toLocal8Bit());
    auto f = ProcessFactory::instance();
    WarningCapture warnings;
    EXPECT_NO_THROW(f->startUp());
    expectBuiltInProcesses();
    EXPECT_FALSE(f->saveProcesses());
    EXPECT_FALSE(warnings.messages().isEmpty());
}
