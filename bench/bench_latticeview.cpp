// The lattice view of a 100 x 100 x 80 all-silicon volume (about 2.4 million atoms),
// drawn off-screen through OpenGL. Needs a display: run under xvfb-run, where Mesa's
// software renderer gives an upper bound of what a graphics card takes.
//
// frame: one 800 x 600 frame of the volume (cell faces and, with "atoms" 1, the surface
// atoms as spheres), finished with glFinish; atoms_drawn counts the spheres. With
// "clear_si" 1 silicon is made invisible, as a user does to look at the atoms, so every
// surface atom is drawn; with 0 (the catalogue's opaque silicon) the cells hide the atoms
// inside them and only those reaching out of the block are drawn.
// update: the painter's regeneration with the atom view on (cell faces and the list of
// visible atoms), as after every process step.

#include "benchcommon.h"

#include "Model/Automaton/silatticerenderer.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"

#include <QGuiApplication>
#include <QMatrix4x4>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>
#include <QThread>
#include <QThreadPool>
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

using Model::Automaton::TotalVolume;

constexpr uint32_t sizeX = 100, sizeY = 100, sizeZ = 80;
constexpr int width = 800, height = 600;

std::shared_ptr<TotalVolume> siliconBlock()
{
    auto volume = std::make_shared<TotalVolume>(sizeX, sizeY, sizeZ, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    {
        Model::Automaton::VoxelLock cells(*volume);
        for (size_t i = 0; i < volume->getCellCount(); ++i)
            cells[i].setMaterialId(1);
    }
    volume->createLattice();
    return volume;
}

// An off-screen context and frame buffer, current for the benchmark's lifetime.
struct OffscreenTarget
{
    QOpenGLContext context;
    QOffscreenSurface surface;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;

    bool make()
    {
        QSurfaceFormat format;
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setVersion(2, 1);
        format.setDepthBufferSize(24);
        context.setFormat(format);
        if (!context.create())
            return false;
        surface.setFormat(context.format());
        surface.create();
        if (!context.makeCurrent(&surface))
            return false;
        QOpenGLFramebufferObjectFormat fboFormat;
        fboFormat.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
        fbo = std::make_unique<QOpenGLFramebufferObject>(QSize(width, height), fboFormat);
        return fbo->isValid() && fbo->bind();
    }
};

// The batch renderer's camera: the whole volume, turned by -60 degrees about x and 30
// about z, lit by one lamp.
void setUpView()
{
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    const double diagonal = std::sqrt(double(sizeX * sizeX + sizeY * sizeY + sizeZ * sizeZ));
    const double zoom = 0.9 * std::min(width, height) / diagonal;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-width / (2 * zoom), width / (2 * zoom), -height / (2 * zoom), height / (2 * zoom), -2 * diagonal,
            2 * diagonal);
    QMatrix4x4 view;
    view.rotate(-60.0f, 1.0f, 0.0f, 0.0f);
    view.rotate(30.0f, 0.0f, 0.0f, 1.0f);
    view.translate(-0.5f * sizeX, -0.5f * sizeY, -0.5f * sizeZ);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view.constData());
}

void frame(benchmark::State &state)
{
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    OffscreenTarget target;
    if (!target.make()) {
        state.SkipWithError("no OpenGL context (run under xvfb-run)");
        return;
    }
    const auto catalogue = Model::Materials::MaterialFactory::instance();
    const Model::Materials::Material silicon = catalogue->getMaterial(1);
    Model::Materials::Material shown = silicon;
    shown.color[3] = state.range(1) != 0 ? 0.0f : 1.0f;
    catalogue->setMaterial(shown);
    const auto volume = siliconBlock();
    volume->getPainter()->setRenderAtoms(state.range(0) != 0);
    volume->getPainter()->regenerate();
    catalogue->setMaterial(silicon);
    setUpView();
    const Util::Vector3D eye(0, -300, 300);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        volume->draw(true, false, eye);
        glFinish();
    }
    state.counters["atoms_drawn"] = static_cast<double>(volume->getPainter()->getLatticeRenderer().atomCount());
}
BENCHMARK(frame)
    ->ArgNames({"atoms", "clear_si"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void update(benchmark::State &state)
{
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    const auto volume = siliconBlock();
    volume->getPainter()->setRenderAtoms(true);
    volume->getPainter()->setMode(1); // every surface atom listed, none hidden by cells
    for (auto _ : state)
        volume->getPainter()->regenerate();
    state.counters["atoms_drawn"] = static_cast<double>(volume->getPainter()->getLatticeRenderer().atomCount());
}
BENCHMARK(update)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
