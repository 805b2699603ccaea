#include "cli/offscreenrenderer.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/framing.h"
#include "Model/scene.h"
#include "Util/imagefile.h"
#include "Util/colorsettings.h"

#include <QMatrix4x4>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>
#include <QVector3D>
#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Cli {

namespace {

constexpr double pi = 3.14159265358979323846;

// The fixed-function state the main window's view sets up once.
void setUpLighting()
{
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);

    const GLfloat ambient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat diffuse[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    // Lamp 1: radius 300, azimuth pi/3, elevation pi/4, fixed to the camera.
    const double radius = 300.0, azimuth = pi / 3.0, elevation = pi / 4.0;
    const GLfloat position[4] = {static_cast<GLfloat>(std::cos(azimuth) * std::cos(elevation) * radius),
                                 static_cast<GLfloat>(std::sin(azimuth) * std::cos(elevation) * radius),
                                 static_cast<GLfloat>(std::sin(elevation) * radius), 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);

    const GLfloat materialSpecular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
    glEnable(GL_COLOR_MATERIAL);
    const GLfloat globalAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
}

} // namespace

OffscreenRenderer::OffscreenRenderer(QSize size) : size(size) {}

OffscreenRenderer::~OffscreenRenderer()
{
    if (context)
        context->doneCurrent();
}

bool OffscreenRenderer::initialise()
{
    if (tried)
        return context != nullptr;
    tried = true;
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    auto newContext = std::make_unique<QOpenGLContext>();
    newContext->setFormat(format);
    if (!newContext->create()) {
        failure = QStringLiteral("no OpenGL context can be created (is there a display? try xvfb-run)");
        return false;
    }
    auto newSurface = std::make_unique<QOffscreenSurface>();
    newSurface->setFormat(newContext->format());
    newSurface->create();
    if (!newSurface->isValid() || !newContext->makeCurrent(newSurface.get())) {
        failure = QStringLiteral("the OpenGL context cannot be made current off-screen");
        return false;
    }
    if (!QOpenGLFramebufferObject::hasOpenGLFramebufferObjects()) {
        failure = QStringLiteral("OpenGL frame buffer objects are not supported");
        return false;
    }
    surface = std::move(newSurface);
    context = std::move(newContext);
    return true;
}

bool OffscreenRenderer::isAvailable(QString *reason)
{
    const bool ok = initialise();
    if (!ok && reason)
        *reason = failure;
    return ok;
}

bool OffscreenRenderer::render(Model::Scene &scene, QImage *image, QString *error)
{
    if (!initialise()) {
        if (error)
            *error = failure;
        return false;
    }
    context->makeCurrent(surface.get());

    // The surfaces are rebuilt from the cells; the scene is framed as the window's Fit
    // View frames it, under the window's starting rotation.
    const std::vector<Model::ObjectPtr> objects = scene.objects();
    for (const Model::ObjectPtr &o : objects)
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(o))
            volume->getPainter()->regenerate();
    QMatrix4x4 rotation;
    rotation.rotate(-60.0f, 1.0f, 0.0f, 0.0f);
    rotation.rotate(30.0f, 0.0f, 0.0f, 1.0f);
    const Model::Geometry::Box box = Model::Geometry::sceneBounds(scene).value_or(Model::Geometry::Box());
    const Model::Geometry::Framing framing =
        Model::Geometry::frame(box, rotation.constData(), size.width(), size.height());
    const double zoom = framing.zoom;
    double diagonal = 0;
    for (int i = 0; i < 3; ++i)
        diagonal += (box.hi[i] - box.lo[i]) * (box.hi[i] - box.lo[i]);
    diagonal = std::max(1.0, std::sqrt(diagonal));

    QOpenGLFramebufferObjectFormat fboFormat;
    fboFormat.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    QOpenGLFramebufferObject fbo(size, fboFormat);
    if (!fbo.isValid() || !fbo.bind()) {
        if (error)
            *error = QStringLiteral("the off-screen frame buffer cannot be used");
        return false;
    }

    glViewport(0, 0, size.width(), size.height());
    setUpLighting();
    const Util::Vector4D background = Util::ColorSettings::get(Util::ColorSetting::BackgroundColor,
                                                               Util::ColorSettings::activeVariant());
    glClearColor(float(background.x), float(background.y), float(background.z), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double halfW = size.width() / (2.0 * zoom), halfH = size.height() / (2.0 * zoom);
    glOrtho(-halfW, halfW, -halfH, halfH, -2.0 * diagonal, 2.0 * diagonal);

    QMatrix4x4 view = rotation;
    view.translate(float(-framing.centre[0]), float(-framing.centre[1]), float(-framing.centre[2]));
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view.constData());

    // The eye direction as the view computes it, scaled to the image.
    const QMatrix4x4 inverse = view.inverted();
    QVector3D eye = inverse.map(QVector3D(0, 0, 1)) - inverse.map(QVector3D(0, 0, 0));
    eye.normalize();
    eye *= float(std::max(size.width(), size.height()) * zoom * 0.5);
    for (const Model::ObjectPtr &o : objects)
        o->draw(true, false, Util::Vector3D(eye.x(), eye.y(), eye.z()));
    glFinish();

    *image = fbo.toImage();
    fbo.release();
    return true;
}

bool OffscreenRenderer::save(Model::Scene &scene, const QString &fileName, QString *error)
{
    QImage image;
    if (!render(scene, &image, error))
        return false;
    return Util::saveImageFile(image, fileName, error);
}

} // namespace Cli
