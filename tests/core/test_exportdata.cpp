// The particle-count export: the exact table, the sums of the seven slots in the right
// places, failures that leave an existing file untouched, and the operation's messages.
#include "Core/Operations/ExportData/csvdataexporter.h"
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Model/Automaton/totalvolume.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(CSVDataExporter, WritesTheTableOfSummedCounts)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zero.csv");

    // 2 x 1 x 3, all zero: four lines per x.
    std::vector<int32_t> zero(2 * 1 * 3 * 7, 0);
    EXPECT_EQ(CSVDataExporter(path).saveDataToFile(RandomWalkDoping::fieldNameN, zero.data(), 2, 1, 3), 0);
    const QByteArray zeroLine = "0.0000000000e+00 ; 0.0000000000e+00 ; 0.0000000000e+00 ; \n";
    EXPECT_EQ(contents(path), "X: 0\n" + zeroLine + "\n\nX: 1\n" + zeroLine + "\n\n");

    // 2 x 2 x 2 with counts spread over the slots: each cell shows the sum of its seven,
    // x by block, y by line, z along the line.
    std::vector<int32_t> counts(2 * 2 * 2 * 7, 0);
    auto cell = [&](uint32_t x, uint32_t y, uint32_t z) { return &counts[((x * 2 + y) * 2 + z) * 7]; };
    cell(0, 0, 1)[0] = 12;
    cell(0, 1, 0)[3] = 5;
    cell(0, 1, 0)[6] = 7;
    for (int s = 0; s < 7; ++s)
        cell(1, 0, 0)[s] = 100000 * (s + 1); // 2 800 000
    cell(1, 1, 1)[2] = 1;
    // Summed as unsigned 32-bit counts: 2^31 - 1 + 1 is 2^31, not negative.
    cell(1, 0, 1)[0] = 2147483647;
    cell(1, 0, 1)[1] = 1;
    EXPECT_EQ(CSVDataExporter(path).saveDataToFile(RandomWalkDoping::fieldNameP, counts.data(), 2, 2, 2), 0);
    EXPECT_EQ(contents(path), QByteArray("X: 0\n"
                                         "0.0000000000e+00 ; 1.2000000000e+01 ; \n"
                                         "1.2000000000e+01 ; 0.0000000000e+00 ; \n"
                                         "\n\n"
                                         "X: 1\n"
                                         "2.8000000000e+06 ; 2.1474836480e+09 ; \n"
                                         "0.0000000000e+00 ; 1.0000000000e+00 ; \n"
                                         "\n\n"));
}

TEST(CSVDataExporter, CountsAreWrittenAsTheStreamWritesRealNumbers)
{
    // The table's own number formatting gives exactly what an English text stream in
    // scientific notation with 10 digits gives, for every size of count.
    std::vector<uint32_t> values = {0, 1, 9, 10, 12, 99, 100, 101, 123456789, 999999999, 1000000000, 4294967295u};
    for (uint32_t v = 1, i = 0; i < 200; ++i, v = v * 2654435761u + 12345)
        values.push_back(v >> (i % 32));
    for (const uint32_t value : values) {
        QString expected;
        QTextStream stream(&expected);
        stream.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        stream.setRealNumberNotation(QTextStream::ScientificNotation);
        stream.setRealNumberPrecision(10);
        stream << static_cast<double>(value);
        stream.flush();
        char text[CSVDataExporter::scientificWidth];
        const size_t length = CSVDataExporter::formatScientific(value, text);
        EXPECT_EQ(QString::fromLatin1(text, static_cast<int>(length)), expected) << value;
    }
}

TEST(CSVDataExporter, FailuresReturnMinusOneAndKeepTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.csv");
    const QByteArray old = "earlier export\n";
    write(path, old);
    std::vector<int32_t> zero(7, 0);

    // A name that is not a particle-count field, or a field without counts.
    CSVDataExporter exporter(path);
    EXPECT_EQ(exporter.saveDataToFile("Temperature", zero.data(), 1, 1, 1), -1);
    EXPECT_TRUE(exporter.errorString().contains("Temperature"));
    EXPECT_EQ(contents(path), old);
    EXPECT_EQ(exporter.saveDataToFile(RandomWalkDoping::fieldNameN, nullptr, 1, 1, 1), -1);
    EXPECT_EQ(contents(path), old);

    // A target that cannot be written: its folder is a plain file. The file stays as it was.
    const QString blocked = path + "/inner.csv";
    CSVDataExporter unwritable(blocked);
    EXPECT_EQ(unwritable.saveDataToFile(RandomWalkDoping::fieldNameN, zero.data(), 1, 1, 1), -1);
    EXPECT_FALSE(unwritable.errorString().isEmpty());
    EXPECT_EQ(contents(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.csv"});
}

TEST(ExportDataOperation, ExportsTheLoneVolumeAndSaysWhenItCannot)
{
    QTemporaryDir dir;
    OperationTest::OperationHarness h;
    auto volume = std::make_shared<TotalVolume>(1, 2, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    int32_t *counts = volume->createParticleField(RandomWalkDoping::fieldNameN);
    counts[7 + 4] = 3;
    volume->setProperty("Label", QString("not counts"));
    h.context.scene.add(volume);

    QString target = dir.filePath("out.csv");
    QString field = RandomWalkDoping::fieldNameN;
    QStringList offered;
    std::shared_ptr<ExportDataOperation> operation;
    h.factory->make = [&] {
        operation = std::make_shared<ExportDataOperation>(h.context);
        operation->setOptionsObserver(std::make_shared<OperationTest::Options>([&] {
            offered = operation->dataNames();
            operation->setFileName(target);
            operation->setDataName(field);
        }));
        return operation;
    };

    h.context.activate(1);
    EXPECT_EQ(operation->getName(), "Export Data");
    EXPECT_EQ(operation->getTypeId(), 37);
    EXPECT_EQ(offered, QStringList{RandomWalkDoping::fieldNameN});
    EXPECT_EQ(h.log->lines, (std::vector<std::string>{"Export Data: Using only cell volume.", "Export Data:  data saved."}));
    EXPECT_EQ(contents(target), "X: 0\n0.0000000000e+00 ; \n3.0000000000e+00 ; \n\n\n");
    EXPECT_EQ(h.context.history.undoCount(), 0u);
    EXPECT_EQ(h.context.getCurrentOperation(), nullptr);

    // A target that cannot be written is reported with its name, not as saved.
    h.log->lines.clear();
    target = dir.filePath("out.csv/x.csv");
    h.context.activate(1);
    ASSERT_EQ(h.log->lines.size(), 2u);
    EXPECT_EQ(h.log->lines[1].rfind("Export Data: could not save", 0), 0u) << h.log->lines[1];
    EXPECT_NE(h.log->lines[1].find(target.toStdString()), std::string::npos) << h.log->lines[1];

    // No data name (a volume without fields): canceled, nothing written.
    h.log->lines.clear();
    target = dir.filePath("none.csv");
    field.clear();
    h.context.activate(1);
    EXPECT_EQ(h.log->lines.back(), "Export Data: Operation canceled.");
    EXPECT_FALSE(QFile::exists(target));
}
