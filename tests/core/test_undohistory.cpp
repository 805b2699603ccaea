// Every step a user takes enters the history and undoes and redoes exactly: cells, cut
// counts, particle counts, masks and the scene's objects.
#include "Core/Processes/describedprocessoperation.h"
#include "Core/Processes/processregistry.h"
#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"
#include "Core/Operations/MaskedCut/removecutsfromvolumeoperation.h"
#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/ObjectBuilding/extractfilm.h"
#include "Core/Operations/ObjectBuilding/gluesubstrateoperation.h"
#include "Core/Operations/ObjectOperations/copyobject.h"
#include "Core/Operations/ObjectOperations/deleteobject.h"
#include "Core/Operations/ObjectOperations/moveobject.h"
#include "Core/Operations/ObjectOperations/selectvolumesoperation.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"
#include "Model/Automaton/fieldpainter.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace Core::Operations;
using FilmTest::makeVolume;
using Model::Automaton::FieldPainter;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using OperationTest::OperationHarness;

namespace {

constexpr uint32_t si = 1, oxide = 3, aluminium = 4, copper = 5, resistPlus = 11, resistMinus = 12, nSi = 14,
                   pSi = 15, poly = 16;

// Silicon below z = 8 with a trench, an oxide mask on the left, aluminium on the right,
// a resist layer across the back and some cells cut.
TotalVolumePtr workpiece()
{
    auto v = makeVolume(16, 12, 22, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (z < 8)
            return x >= 6 && x <= 9 && z >= 5 ? 0 : si;
        if (z == 8 && x < 4)
            return oxide;
        if (z == 8 && x >= 12)
            return aluminium;
        if ((z == 9 || z == 10) && y >= 8)
            return resistPlus;
        return 0;
    });
    Model::Automaton::VoxelLock cells(*v);
    for (uint32_t z = 0; z < 22; ++z)
        cells[v->index(15, 11, z)].addCut();
    return v;
}

// A checksum of everything a step may change in the scene: the objects, where they
// are, their cells, cut counts, particle counts and masks.
std::string sceneSum(OperationContext &context)
{
    std::vector<std::string> parts;
    for (const Model::ObjectPtr &o : context.scene.objects()) {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        auto v = std::dynamic_pointer_cast<TotalVolume>(o);
        if (!v)
            continue;
        const Util::Vector3D p = v->getPosition();
        hash.addData(QByteArray::number(p.x) + ' ' + QByteArray::number(p.y) + ' ' + QByteArray::number(p.z));
        {
            Model::Automaton::VoxelLock cells(*v);
            for (size_t i = 0; i < v->getCellCount(); ++i) {
                const uint32_t cell[2] = {cells[i].getMaterialId(), cells[i].getCutCount()};
                hash.addData(reinterpret_cast<const char *>(cell), sizeof cell);
            }
            for (const QString &name : {FieldPainter::fieldNameN, FieldPainter::fieldNameP}) {
                const int32_t *counts = v->particleField(name);
                hash.addData(counts ? "field" : "none");
                if (counts)
                    hash.addData(reinterpret_cast<const char *>(counts),
                                 static_cast<int>(v->getCellCount() * TotalVolume::particleFieldSlots * 4));
            }
        }
        for (const std::vector<bool> *mask : {&v->getTopMask(), &v->getBottomMask()}) {
            QByteArray bits;
            for (bool b : *mask)
                bits.append(b ? '1' : '0');
            hash.addData(bits + '|');
        }
        parts.push_back(std::to_string(o->getId()) + ":" + hash.result().toHex().toStdString());
    }
    std::sort(parts.begin(), parts.end());
    std::string sum;
    for (const std::string &p : parts)
        sum += p + " ";
    return sum;
}

template <class Op>
OperationPtr preset(const std::shared_ptr<Op> &op, std::function<void(Op &)> set)
{
    std::weak_ptr<Op> weak = op;
    op->setOptionsObserver(std::make_shared<OperationTest::Options>([weak, set] {
        if (auto o = weak.lock())
            set(*o);
    }));
    return op;
}

// The menu operation of the process of list type `batchType` with its values preset.
OperationPtr described(OperationContext &c, int32_t batchType, const Core::Processes::ParameterSet &values)
{
    return std::make_shared<Core::Processes::DescribedProcessOperation>(
        c, *Core::Processes::ProcessRegistry::instance().byBatchType(batchType), values);
}

std::vector<bool> halfOpaque(uint32_t width, uint32_t height)
{
    std::vector<bool> bits(width * height);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = (i % width) < width / 2;
    return bits;
}

struct Step
{
    const char *name;
    // Makes the operation with its parameters preset.
    std::function<OperationPtr(OperationContext &)> make;
    // Starts it on the scene's volume; by default through the menu entry alone.
    std::function<void(OperationContext &, const TotalVolumePtr &)> drive;
    // Adds what else the step needs to the scene.
    std::function<void(OperationContext &)> prepare = {};
};

void select(OperationContext &c, const TotalVolumePtr &v) { c.setObjectSelected(v, true); }

std::vector<Step> everyStep()
{
    const float h = 1e-7f, diffusion = 2.6e-18f, dt = h * h / (12.0f * diffusion);
    return {
        {"Isotropic Deposition", [](OperationContext &c) { return described(c, 16, {{"Film Thickness", 2.0f}, {"Material", poly}}); }, {}},
        {"CVD", [](OperationContext &c) { return described(c, 4, {{"Thickness", 1.5f}, {"Material", oxide}}); }, {}},
        {"PVD", [](OperationContext &c) { return described(c, 12, {{"Thickness", 2.0}, {"Horizontal to Vertical Ratio", 0.5}, {"DepositOn", 1}, {"Material", aluminium}}); }, {}},
        {"Isotropic Etching", [](OperationContext &c) { return described(c, 5, {{"Depth", 2.0f}, {"Material", si}}); }, {}},
        {"Electroplating", [](OperationContext &c) { return described(c, 7, {{"Film Thickness", 2.0f}, {"Conducting Material", si}, {"Deposited Material", copper}}); }, {}},
        {"Anisotropic Deposition", [](OperationContext &c) { return described(c, 17, {{"Film Thickness", 2.0f}, {"Horizontal to Vertical Ratio", 0.5f}, {"Material", oxide}}); }, {}},
        {"Anisotropic Etching", [](OperationContext &c) { return described(c, 18, {{"Etch Depth", 2.0f}, {"Horizontal to Vertical Ratio", 0.3f}, {"Material", si}}); }, {}},
        {"Moore Deposition", [](OperationContext &c) { return described(c, 2, {{"Thickness", 2}, {"Material", poly}}); }, {}},
        {"Moore Etching", [](OperationContext &c) { return described(c, 3, {{"Depth", 1}, {"Material", si}}); }, {}},
        {"Doping", [](OperationContext &c) { return described(c, 8, {{"Doping Depth", 2.0f}, {"Doped Material", nSi}}); }, {}},
        {"Random Walk Doping", [=](OperationContext &c) {
             return preset<RandomWalkDopingOperation>(std::make_shared<RandomWalkDopingOperation>(c), [=](auto &o) {
                 o.setDopantMaterial(nSi); o.setDiffusionCoefficient(diffusion); o.setCellSize(h); o.setTimeStep(dt);
                 o.setSurfaceConcentration(1e24f); o.setDopingThreshold(1e23f); o.setDopingTime(dt * 12.5f); o.setSeed(7);
             });
         }, {}},
        {"Ion Implantation", [](OperationContext &c) { return described(c, 14, {{"Doped Material", pSi}, {"Implantation Depth", 3.0f}, {"Vertical Spread", 1.0f}, {"Annealing Distance", 1.5f}}); }, {}},
        {"Si Oxidation", [](OperationContext &c) { return described(c, 15, {{"OxidationTimeSet", false}, {"Oxidation Thickness", 0.03}, {"Micron Conversion", 100.0}}); }, {}},
        {"Photolithography", [](OperationContext &c) {
             return preset<PhotolithographyOperation>(std::make_shared<PhotolithographyOperation>(c), [](auto &o) {
                 o.setMaterial(resistPlus);
                 o.setTopMask(halfOpaque(16, 12), 16, 12);
                 o.setBottomMask(std::vector<bool>(16 * 12, false), 16, 12);
             });
         }, {}},
        {"Pour Material", [](OperationContext &c) { return described(c, 9, {{"Material", resistMinus}, {"Maximum Height", 14u}}); }, {}},
        {"Planarization", [](OperationContext &c) { return described(c, 6, {{"Maximum Height", 9u}, {"Minimum Height", 2u}}); }, {}},
        {"Simple RIE", [](OperationContext &c) { return described(c, 13, {{"Material", si}, {"Etch Depth", 2u}, {"EtchDirectionValue", 1u}}); }, {}},
        {"Si Wet Etching", [](OperationContext &c) { return described(c, 1, {{"Depth", 2.0}}); }, {}},
        {"Continuous Wet Etch", [](OperationContext &c) { return described(c, 20, {{"Depth", 2.0}}); }, {}},
        {"Masked Cut", [](OperationContext &c) {
             return preset<MaskedCutCellVolumeOperation>(std::make_shared<MaskedCutCellVolumeOperation>(c),
                                                         [](auto &o) { o.setMask(halfOpaque(16, 12), 16, 12); });
         }, {}},
        {"Remove Cuts", [](OperationContext &c) { return std::make_shared<RemoveCutsFromVolumeOperation>(c); }, {}},
        {"Create Substrate", [](OperationContext &c) {
             return preset<CreateSubstrateOperation>(std::make_shared<CreateSubstrateOperation>(c), [](auto &o) {
                 o.setRectangularSubstrate(si, 10, 10, 10, Util::Vector3D(60, 0, 0), 10, 10, 4, 0, 0, 0);
             });
         }, {}},
        {"Glue Substrate", [](OperationContext &c) { return std::make_shared<GlueSubstrateOperation>(c); },
         [](OperationContext &c, const TotalVolumePtr &v) {
             c.activate(1);
             select(c, v);
             c.interpreter.submit("");
             for (const Model::ObjectPtr &o : c.scene.objects())
                 if (o != v)
                     c.setObjectSelected(o, true);
             c.interpreter.submit("");
         },
         [](OperationContext &c) { c.scene.add(workpiece()); }},
        {"Extract Film", [](OperationContext &c) {
             return preset<ExtractFilm>(std::make_shared<ExtractFilm>(c), [](auto &o) { o.setMaterialId(oxide); });
         }, [](OperationContext &c, const TotalVolumePtr &v) { select(c, v); c.activate(1); }},
        {"Copy", [](OperationContext &c) { return std::make_shared<CopyObject>(c); },
         [](OperationContext &c, const TotalVolumePtr &v) { select(c, v); c.activate(1); c.interpreter.submit("30, 0, 0"); }},
        {"Move", [](OperationContext &c) { return std::make_shared<MoveObject>(c); },
         [](OperationContext &c, const TotalVolumePtr &v) { select(c, v); c.activate(1); c.interpreter.submit("0, 5, 1"); }},
        {"Delete", [](OperationContext &c) { return std::make_shared<DeleteObject>(c); },
         [](OperationContext &c, const TotalVolumePtr &v) { select(c, v); c.activate(1); }},
    };
}

const Step &named(const std::vector<Step> &steps, const std::string &name)
{
    return *std::find_if(steps.begin(), steps.end(), [&](const Step &s) { return s.name == name; });
}

struct UndoHistory : ::testing::Test, OperationHarness
{
};

} // namespace

TEST_F(UndoHistory, EveryStepUndoesAndRedoesExactly)
{
    for (const Step &s : everyStep()) {
        SCOPED_TRACE(s.name);
        OperationContext c;
        auto factory = std::make_shared<OperationTest::OneOperation>();
        c.setFactory(factory);
        factory->make = [&] { return s.make(c); };
        auto volume = workpiece();
        c.scene.add(volume);
        // A step before, so that the undo must stop at the right place.
        {
            factory->make = [&] { return std::make_shared<MoveObject>(c); };
            select(c, volume);
            c.activate(1);
            c.interpreter.submit("1, 0, 0");
            factory->make = [&] { return s.make(c); };
        }
        if (s.prepare)
            s.prepare(c);
        const std::string before = sceneSum(c);
        if (s.drive)
            s.drive(c, volume);
        else
            c.activate(1);
        const std::string after = sceneSum(c);
        ASSERT_NE(after, before) << "the step changed nothing";
        ASSERT_EQ(c.history.undoCount(), 2u);
        EXPECT_EQ(c.getCurrentOperation(), nullptr);

        ASSERT_TRUE(c.history.undo());
        EXPECT_EQ(sceneSum(c), before);
        ASSERT_TRUE(c.history.redo());
        EXPECT_EQ(sceneSum(c), after);
        // Twice, and then past the earlier step and back.
        ASSERT_TRUE(c.history.undo());
        ASSERT_TRUE(c.history.undo());
        ASSERT_TRUE(c.history.redo());
        EXPECT_EQ(sceneSum(c), before);
        ASSERT_TRUE(c.history.redo());
        EXPECT_EQ(sceneSum(c), after);
    }
}

TEST_F(UndoHistory, UndoingAnEarlierStepNeverWipesALaterOne)
{
    auto volume = workpiece();
    context.scene.add(volume);
    const std::vector<Step> steps = everyStep();
    const auto run = [&](const char *name) {
        factory->make = [&] { return named(steps, name).make(context); };
        context.activate(1);
    };
    const std::string start = sceneSum(context);
    run("Doping");
    const std::string doped = sceneSum(context);
    run("Si Oxidation");
    const std::string oxidised = sceneSum(context);
    ASSERT_NE(oxidised, doped);
    EXPECT_EQ(context.history.undoName(), "Simple Si Oxidation");
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(sceneSum(context), doped);
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(sceneSum(context), start);
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(sceneSum(context), doped);
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(sceneSum(context), oxidised);
}

TEST_F(UndoHistory, RandomWalkAgainAfterUndoDopesTheSameCells)
{
    auto volume = workpiece();
    context.scene.add(volume);
    const std::vector<Step> steps = everyStep();
    const Step &walk = named(steps, "Random Walk Doping");
    factory->make = [&] { return walk.make(context); };
    const std::string start = sceneSum(context);
    context.activate(1);
    const std::string first = sceneSum(context);
    const std::vector<uint32_t> firstCells = volume->materialIds();
    ASSERT_GT(FilmTest::count(firstCells, nSi), 0u);
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(sceneSum(context), start);
    EXPECT_EQ(volume->particleField(FieldPainter::fieldNameN), nullptr);
    context.activate(1);
    EXPECT_EQ(volume->materialIds(), firstCells);
    EXPECT_EQ(sceneSum(context), first);
}

TEST_F(UndoHistory, ABatchRunInTheWindowIsOneStep)
{
    auto volume = workpiece();
    context.scene.add(volume);
    const std::string start = sceneSum(context);
    auto added = workpiece();
    // Stands in for the batch-run dialog: runs a list on the chosen volume and adds one.
    const auto batch = [&](bool change) {
        auto op = std::make_shared<SelectVolumesOperation>(context);
        std::weak_ptr<SelectVolumesOperation> weak = op;
        op->setOptionsObserver(std::make_shared<OperationTest::Options>([&, weak, change] {
            if (!change)
                return;
            Core::BatchRun::ProcessListRunner runner(context);
            runner.setVolume(weak.lock()->getVolume());
            ASSERT_EQ(runner.run({OperationTest::step(4, {{"Material_Id", oxide}, {"Thickness", 2.0f}}),
                                  OperationTest::step(5, {{"Material_Id", si}, {"Depth", 1.0f}})})
                          .outcome,
                      Core::BatchRun::ProcessListRunner::Outcome::Completed);
            context.scene.add(added);
        }));
        return op;
    };
    // A run that changed nothing leaves no step behind.
    factory->make = [&] { return batch(false); };
    context.setObjectSelected(volume, true);
    context.activate(1);
    EXPECT_EQ(context.history.undoCount(), 0u);

    factory->make = [&] { return batch(true); };
    context.setObjectSelected(volume, true);
    context.activate(1);
    const std::string after = sceneSum(context);
    ASSERT_NE(after, start);
    ASSERT_EQ(context.history.undoName(), "Select volumes");
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(sceneSum(context), start);
    EXPECT_EQ(context.scene.objectCount(), 1);
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(sceneSum(context), after);
}
