// Volumes one cell thin along some axes: every process step of a list that uses them all,
// each surface of the view and the exports run on them without reading past the cells
// (the sanitizer build checks the reads), and the Moore automata grow and erode as they
// must along the one axis there is.
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhooddeposition.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetching.h"
#include "Core/Operations/ExportData/stlsurfacewriter.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialfactory.h"
#include "filmtestsupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace Core::Operations;
using FilmTest::makeVolume;

TEST(ThinVolumes, MooreAutomataWorkAlongASingleAxis)
{
    // 1 x 5 x 1 with the middle cell solid: one step fills its two neighbours; etching
    // takes them again and leaves the other material.
    auto line = makeVolume(1, 5, 1, [](uint32_t, uint32_t y, uint32_t) { return y == 2 ? 1u : 0u; });
    MooreNeighborhoodDeposition(line.get(), 3, 1).run();
    EXPECT_EQ(line->materialIds(), (std::vector<uint32_t>{0, 3, 1, 3, 0}));
    MooreNeighborhoodEtching(line.get(), 3, 1).run();
    EXPECT_EQ(line->materialIds(), (std::vector<uint32_t>{0, 0, 1, 0, 0}));

    // A single cell: nothing to grow into, nothing to etch from.
    auto one = makeVolume(1, 1, 1, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    MooreNeighborhoodDeposition(one.get(), 3, 4).run();
    MooreNeighborhoodEtching(one.get(), 1, 4).run();
    EXPECT_EQ(one->materialIds(), std::vector<uint32_t>{1});

    // A column standing in x: growth and etching along x only.
    auto column = makeVolume(4, 1, 1, [](uint32_t x, uint32_t, uint32_t) { return x == 0 ? 1u : 0u; });
    MooreNeighborhoodDeposition(column.get(), 5, 2).run();
    EXPECT_EQ(column->materialIds(), (std::vector<uint32_t>{1, 5, 5, 0}));
    MooreNeighborhoodEtching(column.get(), 5, 1).run();
    EXPECT_EQ(column->materialIds(), (std::vector<uint32_t>{1, 5, 0, 0}));
}

TEST(ThinVolumes, EveryStepSurfaceAndExportCopesWithOneCellAxes)
{
    Model::Materials::MaterialFactory::instance()->resetToBuiltIns();
    Core::BatchRun::ProcessList list;
    QString error;
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::load(QStringLiteral(KELVANE_CORPUS_DIR "/processlist/allsteps.plst"), list,
                                          nullptr, &error))
        << error.toStdString();
    QTemporaryDir dir;
    const uint32_t shapes[][3] = {{1, 1, 1}, {1, 5, 1}, {5, 1, 1}, {1, 1, 5}, {1, 5, 5}, {5, 1, 5}, {5, 5, 1}};
    for (const auto &s : shapes) {
        SCOPED_TRACE(testing::Message() << s[0] << " x " << s[1] << " x " << s[2]);
        OperationContext context;
        Core::BatchRun::ProcessListRunner runner(context);
        const auto volume = makeVolume(s[0], s[1], s[2], [&](uint32_t, uint32_t, uint32_t z) {
            return z < (s[2] + 1) / 2 ? 1u : 0u;
        });
        context.scene.add(volume);
        runner.setVolume(volume);
        for (const Core::BatchRun::ProcessData &step : list) {
            // Creating a substrate would replace the thin volume; pictures need a view.
            if (step.getProcessType() == 11 || step.getProcessType() == 10)
                continue;
            SCOPED_TRACE(step.getProcessType());
            runner.runStep(step);
            EXPECT_EQ(runner.getVolume()->getCellCount(), size_t(s[0]) * s[1] * s[2]);
        }
        const auto result = runner.getVolume();
        for (const Model::Automaton::SurfaceMode mode : Model::Automaton::surfaceModes) {
            result->getPainter()->setMode(mode);
            result->getPainter()->regenerate();
        }
        QStringList written;
        for (const auto surface : {StlSurfaceWriter::Surface::DirectCubic, StlSurfaceWriter::Surface::MarchingCubes})
            StlSurfaceWriter::write(*result, dir.filePath("thin.stl"), surface, false, &written, &error);
    }
    Model::Materials::MaterialFactory::instance()->resetToBuiltIns();
}
