// kelvane-batch --measure: one row of results per run, beside the list and its --set
// values; a measurement that cannot be taken leaves its value empty and warns, and a bad
// measurement file stops the run before anything is written.
#include "batchtestsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using BatchTest::contents;
using BatchTest::workFile;

namespace {

// A 12 x 12 x 16 volume with 4 layers of Si, then an oxide film of thickness 2.
const QByteArray filmList = BatchTest::smallFilmList("2");

const QByteArray measurements = R"({"micrometres_per_unit": 0.1, "measurements": [
    {"name": "film", "type": "thickness", "material": "Thermal Si02", "x": 6, "y": 6},
    {"name": "silicon", "type": "cell_count", "material": "Si"},
    {"name": "poly", "type": "thickness", "material": "Poly-Si"}]})";

} // namespace

TEST(BatchMeasure, OneRowOfResultsPerRunBesideTheSweptValues)
{
    const QString list = BatchTest::writeFile("measured.plst", filmList);
    const QString plan = BatchTest::writeFile("measure.json", measurements);
    const BatchTest::Run run = BatchTest::run({list, "--set", "2.Film Thickness=3", "--measure", plan,
                                               "--measure-out", "row.csv", "--measure-after-step", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("warning: measurement poly not taken: no Poly-Si on the z line through (0, 0, 0)"))
        << run.errors.toStdString();
    const QList<QByteArray> lines = contents(workFile("row.csv")).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "list,2.Film Thickness,film,film_um,silicon,poly,poly_um,film@1,film_um@1,silicon@1,poly@1,"
                        "poly_um@1");
    // After step 1 there is no film yet.
    EXPECT_EQ(lines[1], list.toUtf8() + ",3,3,0.3,576,,,,,576,,");

    // The same row as JSON, the missing values null.
    ASSERT_EQ(BatchTest::run({list, "--measure", plan, "--measure-out", "row.json", "--quiet"}).exitCode, 0);
    const QJsonObject row = QJsonDocument::fromJson(contents(workFile("row.json"))).object();
    EXPECT_EQ(row.value("measurements").toObject().value("film").toDouble(), 2.0);
    EXPECT_TRUE(row.value("measurements").toObject().value("poly").isNull());
}

TEST(BatchMeasure, BadMeasurementFilesAreRefusedBeforeAnythingRuns)
{
    const QString list = BatchTest::writeFile("measured.plst", filmList);
    BatchTest::write(workFile("kept.csv"), "earlier results\n");
    for (const auto &[file, message] : std::vector<std::pair<QByteArray, const char *>>{
             {"[{\"name\": \"a\", \"type\": \"thickness\"}]",
              "cannot read the measurement file %1: measurement 1: thickness needs the parameter 'material'"},
             {"not json", "cannot read the measurement file %1: not JSON"}}) {
        const QString plan = BatchTest::writeFile("bad.json", file);
        const BatchTest::Run run =
            BatchTest::run({list, "--measure", plan, "--measure-out", "kept.csv", "--output", "never.mem"});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.errors.contains(QString::fromLatin1(message).arg(plan))) << run.errors.toStdString();
        EXPECT_EQ(contents(workFile("kept.csv")), "earlier results\n");
        EXPECT_FALSE(QFile::exists(workFile("never.mem")));
    }
    EXPECT_EQ(BatchTest::run({list, "--measure-out", "kept.csv"}).exitCode, 2);
    EXPECT_EQ(BatchTest::run({list, "--measure-after-step", "1"}).exitCode, 2);
}
