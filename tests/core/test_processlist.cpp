// Process lists: the step record, the ".plst" file with every value type, version-0
// renames and the mapping of material ids against the catalogue.
#include "cataloguetestsupport.h"
#include "documenttestsupport.h"

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistfile.h"
#include "Util/vector3d.h"

#include <QColor>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using Model::Materials::MaterialConflictChoice;
using Model::Materials::MaterialFactory;
using Core::BatchRun::MaskBitmap;
using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessList;
using Core::BatchRun::ProcessListFile;
using namespace DocumentTest;

namespace {

class ProcessListTest : public CatalogueTest::CatalogueFixture
{
protected:
    QString path(const QString &name) const { return folder.path() + QLatin1Char('/') + name; }

    // A list file with the given materials and steps, in the form the editor writes.
    QString writeList(const QByteArray &version, const QByteArray &materials, const QByteArray &steps)
    {
        const QString file = path(QStringLiteral("hand.plst"));
        putBytes(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Process-List" + version +
                           ">\n<Materials>" + materials + "</Materials>\n" + steps + "</Process-List>\n");
        return file;
    }

    QTemporaryDir folder;
};

// Compares two values by type and content (QVariant cannot compare the custom types).
void expectSameValue(const QVariant &a, const QVariant &b, const QString &name)
{
    SCOPED_TRACE(name.toStdString());
    ASSERT_EQ(a.userType(), b.userType());
    if (a.userType() == qMetaTypeId<MaskBitmap>())
        EXPECT_EQ(a.value<MaskBitmap>(), b.value<MaskBitmap>());
    else if (a.userType() == qMetaTypeId<Util::Vector3D>())
        EXPECT_EQ(Util::Vector3D(a), Util::Vector3D(b));
    else
        EXPECT_EQ(a, b);
}

} // namespace

TEST(ProcessData, SerialIdsLookUpsAndNames)
{
    ProcessData a(11);
    ProcessData b(4);
    EXPECT_EQ(b.getId(), a.getId() + 1);
    EXPECT_FALSE(a.getProcessParameter(QStringLiteral("Material_Id")).isValid());
    EXPECT_FALSE(a.getParameterVisibility(QStringLiteral("Material_Id")));
    a.setParameter(QStringLiteral("Material_Id"), 3u, true);
    a.setParameter(QStringLiteral("Material_Id"), 5u, false);
    EXPECT_EQ(a.getProcessParameter(QStringLiteral("Material_Id")).toUInt(), 5u);
    EXPECT_FALSE(a.getParameterVisibility(QStringLiteral("Material_Id")));
    EXPECT_EQ(a.getParameters().size(), 1);

    EXPECT_EQ(ProcessData::processName(0), QStringLiteral("Photolithography"));
    EXPECT_EQ(ProcessData::processName(1), QStringLiteral("Si wet etching"));
    EXPECT_EQ(ProcessData::processName(9), QStringLiteral("Spin Coating"));
    EXPECT_EQ(ProcessData::processName(13), QStringLiteral("Simple RIE"));
    EXPECT_EQ(ProcessData::processName(15), QStringLiteral("Si Oxidation"));
    EXPECT_EQ(ProcessData::processName(19), QStringLiteral("Doping (Random Walk CA)"));
    EXPECT_EQ(ProcessData::processName(20), QStringLiteral("Si wet etching (CCA)"));
    EXPECT_EQ(ProcessData::processName(21), QStringLiteral("Unknown process"));
    EXPECT_EQ(ProcessData::processName(-1), QStringLiteral("Unknown process"));
    EXPECT_EQ(b.getProcessName(), QStringLiteral("CVD"));
}

TEST_F(ProcessListTest, WrittenAndReadBackUnchanged)
{
    ProcessList list;
    ProcessData substrate(11);
    substrate.setParameter(QStringLiteral("Lower Left Front Corner"),
                           QVariant::fromValue(Util::Vector3D(1.5, 0, 2)), false);
    substrate.setParameter(QStringLiteral("Volume Size X"), 50u, true);
    substrate.setParameter(QStringLiteral("SphericalSubstrate"), false, true);
    substrate.setParameter(QStringLiteral("Material_Id"), 1u, false);
    substrate.setParameter(QStringLiteral("Material"), QStringLiteral("Si & <friends>"), true);
    substrate.setParameter(QStringLiteral("Material_Color"), QColor(0x7f, 0x10, 0xee), true);
    list.push_back(substrate);
    ProcessData litho(0);
    litho.setParameter(QStringLiteral("Top Mask"), QVariant::fromValue(MaskBitmap{0, 1, 0}), false);
    litho.setParameter(QStringLiteral("Top Mask Width"), 3u, true);
    litho.setParameter(QStringLiteral("Depth"), 0.1f, true);
    litho.setParameter(QStringLiteral("Oxidation Time"), 1.0 / 3.0, true);
    litho.setParameter(QStringLiteral("DepositOn"), -7, true);
    litho.setExpanded(true);
    list.push_back(litho);
    list.push_back(ProcessData(10)); // no parameters

    const QString file = path(QStringLiteral("round.plst"));
    ASSERT_TRUE(ProcessListFile::save(file, list));
    const QString text = QString::fromUtf8(bytesOf(file));
    EXPECT_TRUE(text.contains(QStringLiteral("<Process-List version=\"1\">"))) << text.toStdString();
    EXPECT_LT(text.indexOf(QStringLiteral("<Materials>")), text.indexOf(QStringLiteral("<Process-Data")));
    EXPECT_TRUE(text.contains(QStringLiteral(
        "<Parameter parameter-name=\"Top Mask\" parameter-type=\"vector\" parameter-data=\"010\" "
        "parameter-visibility=\"false\"/>")));
    EXPECT_TRUE(text.contains(QStringLiteral(
        "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" "
        "parameter-data=\"1.5;0;2\" parameter-visibility=\"false\"/>")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"uint\" parameter-data=\"50\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"bool\" parameter-data=\"false\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("parameter-type=\"QColor\" parameter-data=\"#7f10ee\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("<Process-Data process-type=\"10\"/>")));
    // Parameters in name order.
    EXPECT_LT(text.indexOf(QStringLiteral("\"Lower Left")), text.indexOf(QStringLiteral("\"Material\"")));
    EXPECT_LT(text.indexOf(QStringLiteral("\"Material_Id\"")), text.indexOf(QStringLiteral("\"SphericalSubstrate\"")));

    ProcessList back;
    ASSERT_TRUE(ProcessListFile::load(file, back));
    ASSERT_EQ(back.size(), list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(back[i].getProcessType(), list[i].getProcessType());
        EXPECT_EQ(back[i].getParameters().keys(), list[i].getParameters().keys());
        EXPECT_EQ(back[i].getVisibility(), list[i].getVisibility());
        for (const QString &name : list[i].getParameters().keys())
            expectSameValue(back[i].getProcessParameter(name), list[i].getProcessParameter(name), name);
        EXPECT_NE(back[i].getId(), list[i].getId()); // new steps
    }
}

TEST_F(ProcessListTest, TextFormsOfValues)
{
    EXPECT_EQ(ProcessListFile::dataText(QVariant::fromValue(MaskBitmap{0, 1, 0})), QStringLiteral("010"));
    EXPECT_EQ(ProcessListFile::dataText(QVariant::fromValue(MaskBitmap{7, 0, 255})), QStringLiteral("101"));
    EXPECT_EQ(ProcessListFile::dataText(QVariant::fromValue(Util::Vector3D(1.5, 0, 2))),
              QStringLiteral("1.5;0;2"));
    EXPECT_EQ(ProcessListFile::dataText(QVariant::fromValue(Util::Vector3D(0.1234567891234, -1e20, 3))),
              QStringLiteral("0.1234567891;-1e+20;3"));
    EXPECT_EQ(ProcessListFile::typeText(QVariant(2.5f)), QStringLiteral("float"));
    EXPECT_EQ(ProcessListFile::typeText(QVariant(2.5)), QStringLiteral("double"));
    EXPECT_EQ(ProcessListFile::typeText(QVariant(QStringLiteral("a"))), QStringLiteral("QString"));

    // Unknown types read as invalid; data that does not fit its type stays as text.
    EXPECT_FALSE(ProcessListFile::valueFromText(QStringLiteral("QDateTime"), QStringLiteral("x")).isValid());
    EXPECT_EQ(ProcessListFile::valueFromText(QStringLiteral("uint"), QStringLiteral("-4")).userType(),
              int(QMetaType::QString));
    EXPECT_EQ(ProcessListFile::valueFromText(QStringLiteral("Util::Vector3D"), QStringLiteral("1;2")).userType(),
              int(QMetaType::QString));
    EXPECT_EQ(ProcessListFile::valueFromText(QStringLiteral("vector"), QStringLiteral("1x01"))
                  .value<MaskBitmap>(),
              (MaskBitmap{1, 0, 0, 1}));
    EXPECT_EQ(ProcessListFile::valueFromText(QStringLiteral("float"), QStringLiteral("0.1")), QVariant(0.1f));
}

TEST_F(ProcessListTest, Version0IsRenamedAndIdsAreMapped)
{
    // File material 77 is the catalogue's "Si" (found by name), so 77 becomes 1.
    const QString file = writeList(
        "", "<Material version=\"1\" name=\"Si\" material-id=\"77\" density=\"1\" color=\"#FF000000\"/>",
        "<Process-Data process-type=\"4\">"
        "<Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" parameter-data=\"77\"/>"
        "<Parameter parameter-name=\"Thickness\" parameter-type=\"float\" parameter-data=\"2.5\" "
        "parameter-visibility=\"false\"/></Process-Data>"
        "<Process-Data process-type=\"7\">"
        "<Parameter parameter-name=\"ConductingMaterialId\" parameter-type=\"uint\" parameter-data=\"77\"/>"
        "<Parameter parameter-name=\"DepositedMaterialId\" parameter-type=\"uint\" parameter-data=\"5\"/>"
        "</Process-Data>"
        "<Process-Data process-type=\"14\">"
        "<Parameter parameter-name=\"DopedMaterialId\" parameter-type=\"uint\" parameter-data=\"77\"/>"
        "<Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" parameter-data=\"77\"/>"
        "</Process-Data>");
    ProcessList list;
    ASSERT_TRUE(ProcessListFile::load(file, list));
    ASSERT_EQ(list.size(), 3u);
    const ProcessData &cvd = list[0];
    EXPECT_FALSE(cvd.hasParameter(QStringLiteral("MaterialId")));
    EXPECT_EQ(cvd.getProcessParameter(QStringLiteral("Material_Id")), QVariant(1u));
    EXPECT_TRUE(cvd.getParameterVisibility(QStringLiteral("Material_Id"))); // absent: shown
    EXPECT_FALSE(cvd.getParameterVisibility(QStringLiteral("Thickness")));
    EXPECT_EQ(cvd.getProcessParameter(QStringLiteral("Thickness")), QVariant(2.5f));
    EXPECT_EQ(list[1].getProcessParameter(QStringLiteral("Conducting Material_Id")), QVariant(1u));
    EXPECT_EQ(list[1].getProcessParameter(QStringLiteral("Deposited Material_Id")), QVariant(5u));
    EXPECT_EQ(list[2].getProcessParameter(QStringLiteral("Doped Material_Id")), QVariant(1u));
    // Ion implantation has no "MaterialId" rename.
    EXPECT_TRUE(list[2].hasParameter(QStringLiteral("MaterialId")));

    // Version 1: no renames, the ids are still mapped.
    const QString v1 = writeList(
        " version=\"1\"", "<Material version=\"1\" name=\"Si\" material-id=\"77\"/>",
        "<Process-Data process-type=\"4\">"
        "<Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" parameter-data=\"77\"/>"
        "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"77\"/>"
        "</Process-Data>");
    ProcessList current;
    ASSERT_TRUE(ProcessListFile::load(v1, current));
    ASSERT_EQ(current.size(), 1u);
    EXPECT_EQ(current[0].getProcessParameter(QStringLiteral("MaterialId")), QVariant(77u));
    EXPECT_EQ(current[0].getProcessParameter(QStringLiteral("Material_Id")), QVariant(1u));
}

TEST_F(ProcessListTest, MaterialsAreMatchedWithTheCatalogue)
{
    const auto catalogue = MaterialFactory::instance();
    const QByteArray materials =
        "<Material version=\"1\" name=\"Si\" material-id=\"1\"/>"
        "<Material version=\"1\" name=\"Quartz glass\" material-id=\"2\" density=\"2200\"/>"
        "<Material version=\"1\" name=\"Diamond\" material-id=\"3\"/>";
    const QByteArray steps =
        "<Process-Data process-type=\"16\">"
        "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/></Process-Data>"
        "<Process-Data process-type=\"16\">"
        "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"2\"/></Process-Data>"
        "<Process-Data process-type=\"16\">"
        "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"3\"/></Process-Data>";
    const QString file = writeList(" version=\"1\"", materials, steps);

    // Without a dialog: the clashing "Diamond" (id 3 is "Thermal Si02") gets a new id.
    ProcessList headless;
    ASSERT_TRUE(ProcessListFile::load(file, headless));
    ASSERT_EQ(headless.size(), 3u);
    EXPECT_EQ(headless[0].getProcessParameter(QStringLiteral("Material_Id")).toUInt(), 1u);
    EXPECT_EQ(headless[1].getProcessParameter(QStringLiteral("Material_Id")).toUInt(), 2u);
    EXPECT_EQ(catalogue->getMaterial(2).name, QStringLiteral("Quartz glass"));
    const uint32_t diamond = headless[2].getProcessParameter(QStringLiteral("Material_Id")).toUInt();
    EXPECT_GE(diamond, 2000u);
    EXPECT_EQ(catalogue->getMaterial(diamond).name, QStringLiteral("Diamond"));
    EXPECT_EQ(catalogue->getMaterial(3).name, QStringLiteral("Thermal Si02"));

    // With the dialog choosing "another existing material", 3 maps to the choice.
    catalogue->resetToBuiltIns();
    auto answer = std::make_shared<FixedConflictAnswer>(true, MaterialConflictChoice::ReplaceLoadedByOther, 9);
    ProcessList asked;
    ASSERT_TRUE(ProcessListFile::load(file, asked, answer));
    EXPECT_EQ(answer->calls, 1);
    EXPECT_EQ(answer->loaded.name, QStringLiteral("Diamond"));
    EXPECT_EQ(asked[2].getProcessParameter(QStringLiteral("Material_Id")).toUInt(), 9u);
}

TEST_F(ProcessListTest, FilesThatAreNotListsLoadNothing)
{
    ProcessList list;
    list.push_back(ProcessData(11));
    QString error;
    EXPECT_FALSE(ProcessListFile::load(path(QStringLiteral("absent.plst")), list, nullptr, &error));
    EXPECT_FALSE(error.isEmpty());

    const QString other = path(QStringLiteral("other.plst"));
    putBytes(other, "<?xml version=\"1.0\"?><process-list><Process-Data process-type=\"11\"/></process-list>");
    EXPECT_FALSE(ProcessListFile::load(other, list));

    // Broken off in the middle: the steps read before the break are not kept either.
    const QString cut = path(QStringLiteral("cut.plst"));
    putBytes(cut, "<Process-List version=\"1\"><Process-Data process-type=\"11\"/><Process-Data process-type=\"4\">"
                  "<Parameter parameter-name=\"Material_Id\"");
    EXPECT_FALSE(ProcessListFile::load(cut, list, nullptr, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("line"))) << error.toStdString();
    EXPECT_EQ(list.size(), 1u);

    // Nested somewhere, without materials, with an unknown element and a garbled type.
    const QString nested = path(QStringLiteral("nested.plst"));
    putBytes(nested, "<Wrapper><Process-List><Note/><Process-Data process-type=\"x\"/>"
                     "<Process-Data process-type=\"11\"/></Process-List></Wrapper>");
    ASSERT_TRUE(ProcessListFile::load(nested, list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].getProcessName(), QStringLiteral("Unknown process"));
    EXPECT_EQ(list[2].getProcessType(), 11);

    // Saving where no file can be made: false, and the message says why.
    EXPECT_FALSE(ProcessListFile::save(path(QStringLiteral("no/folder/x.plst")), list, &error));
    EXPECT_FALSE(error.isEmpty());
}
