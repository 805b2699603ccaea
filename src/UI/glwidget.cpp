#include "UI/glwidget.h"

#include "Core/Operations/operationcontext.h"
#include "Model/Geometry/framing.h"
#include "UI/Observers/updateobserver.h"
#include "Util/colorsettings.h"
#include "Util/threadcheck.h"

#include <QGuiApplication>
#include <QMatrix4x4>
#include <QMetaType>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QShortcut>
#include <QSurfaceFormat>
#include <QVector3D>
#include <QWheelEvent>
#include <QtDebug>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace Ui {
namespace {

// Whether the current GLX context renders directly; true where that cannot be asked
// (no GLX context current). Defined at the end of the file because the X11 headers
// define macros that clash with Qt's.
bool currentContextIsDirect();

constexpr float axisStep = 5.0f;

Util::Vector4D viewColor(Util::ColorSetting setting)
{
    return Util::ColorSettings::get(setting, Util::ColorSettings::activeVariant());
}

QSurfaceFormat requestedFormat()
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    format.setSamples(0);
    format.setStereo(false);
    return format;
}

} // namespace

GLWidget::GLWidget(Core::Operations::OperationContext &context, QWidget *parent, QWidget *shortcutParent)
    : QOpenGLWidget(parent), zoom(1.0f), depth(0), showAxis(true), showLights(false), lighting(true),
      renderObjects(true), renderObjectEdges(false), renderGrid(false), snapToGrid(false),
      context(context), dragging(false), clickPending(false)
{
    qRegisterMetaType<std::vector<float>>("std::vector<float>");

    // Granted features are checked once the context exists (initializeGL).
    setFormat(requestedFormat());

    // Set here rather than on context creation so that a rotation chosen before the view
    // is first shown, or kept across a re-created context, is not lost.
    camera.setRotation(-60.0f, 0.0f, 30.0f);
    mouseHandler.setScale(zoom);

    QWidget *owner = shortcutParent ? shortcutParent : (parent ? parent : this);
    const auto bind = [this, owner](Qt::Key key, void (GLWidget::*slot)()) {
        auto *shortcut = new QShortcut(QKeySequence(key), owner);
        connect(shortcut, &QShortcut::activated, this, slot);
        return shortcut;
    };
    shortcutQ = bind(Qt::Key_Q, &GLWidget::increaseTranslateX);
    shortcutW = bind(Qt::Key_W, &GLWidget::increaseTranslateY);
    shortcutE = bind(Qt::Key_E, &GLWidget::increaseTranslateZ);
    shortcutA = bind(Qt::Key_A, &GLWidget::decreaseTranslateX);
    shortcutS = bind(Qt::Key_S, &GLWidget::decreaseTranslateY);
    shortcutD = bind(Qt::Key_D, &GLWidget::decreaseTranslateZ);
    shortcutL = bind(Qt::Key_L, &GLWidget::swithActiveLamp);

    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    updateObserver = std::make_shared<Observers::UpdateObserver>();
    connect(updateObserver.get(), &Observers::UpdateObserver::updateGL, this, &GLWidget::updateGL);
    context.addUpdateObserver(updateObserver);
}

GLWidget::~GLWidget()
{
    // The shortcuts may belong to the main window, which outlives the view.
    for (QShortcut *s : {shortcutQ, shortcutW, shortcutE, shortcutA, shortcutS, shortcutD, shortcutL})
        if (s && s->parent() != this)
            delete s;
}

// --- accessors and setters ---------------------------------------------------------

float GLWidget::getZoom() const
{
    Util::CheckedMutexLocker lock(&viewMutex);
    return zoom;
}

void GLWidget::setZoom(float value)
{
    if (!(value > 0.0f) || !std::isfinite(value))
        return;
    cameraTaken();
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        zoom = value;
        mouseHandler.setScale(zoom);
    }
    update();
    emitZoom();
}

std::vector<float> GLWidget::getRotation() const
{
    Util::CheckedMutexLocker lock(&viewMutex);
    return {camera.angleX, camera.angleY, camera.angleZ};
}

std::vector<float> GLWidget::getAxisPosition() const
{
    Util::CheckedMutexLocker lock(&viewMutex);
    return {camera.axisX, camera.axisY, camera.axisZ};
}

std::vector<float> GLWidget::getScreenPosition() const
{
    Util::CheckedMutexLocker lock(&viewMutex);
    return {camera.screenX, camera.screenY};
}

void GLWidget::setAxisPosition(float x, float y, float z)
{
    cameraTaken();
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        camera.setAxisPosition(x, y, z);
    }
    update();
    emitAxisPosition();
}

void GLWidget::setScreenPosition(float x, float y)
{
    cameraTaken();
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        camera.setScreenPosition(x, y);
    }
    update();
    emitViewPosition();
}

ViewTransform GLWidget::getCamera() const
{
    Util::CheckedMutexLocker lock(&viewMutex);
    return camera;
}

LampSet GLWidget::getLamps() const
{
    Util::CheckedMutexLocker lock(&lampMutex);
    return lamps;
}

int GLWidget::getActiveLamp() const
{
    Util::CheckedMutexLocker lock(&lampMutex);
    return lamps.active;
}

int GLWidget::getDepth() const
{
    Util::CheckedMutexLocker lock(&viewMutex);
    return depth;
}

#define KELVANE_SWITCH(getter, setter, member)                                                     \
    bool GLWidget::getter() const                                                                  \
    {                                                                                              \
        Util::CheckedMutexLocker lock(&viewMutex);                                                 \
        return member;                                                                             \
    }                                                                                              \
    void GLWidget::setter(bool on)                                                                 \
    {                                                                                              \
        {                                                                                          \
            Util::CheckedMutexLocker lock(&viewMutex);                                             \
            member = on;                                                                           \
        }                                                                                          \
        update();                                                                                  \
    }

KELVANE_SWITCH(getShowAxis, setShowAxis, showAxis)
KELVANE_SWITCH(getShowLights, setShowLights, showLights)
KELVANE_SWITCH(getLighting, setLighting, lighting)
KELVANE_SWITCH(getRenderObjects, setRenderObjects, renderObjects)
KELVANE_SWITCH(getRenderObjectEdges, setRenderObjectEdges, renderObjectEdges)
KELVANE_SWITCH(getRenderGrid, setRenderGrid, renderGrid)
KELVANE_SWITCH(getSnapToGrid, setSnapToGrid, snapToGrid)
#undef KELVANE_SWITCH

float GLWidget::getGridSpacing() const
{
    Util::CheckedMutexLocker lock(&viewMutex);
    return grid.getSpacing();
}

void GLWidget::setGridSpacing(float spacing)
{
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        if (!grid.setSpacing(spacing))
            return;
    }
    update();
}

void GLWidget::setRotation(float x, float y, float z)
{
    cameraTaken();
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        camera.setRotation(x, y, z);
    }
    update();
    emitRotation();
}

void GLWidget::setFieldQuery(std::shared_ptr<FieldLegend::IFieldQuery> query)
{
    legend.setQuery(std::move(query));
    update();
}

void GLWidget::updateGL()
{
    frameFirstObject();
    update();
}

void GLWidget::fitView() { frameScene(true); }

void GLWidget::frameScene(bool announce)
{
    bool settled = true;
    const std::optional<Model::Geometry::Box> box = Model::Geometry::sceneBounds(context.scene, &settled);
    framedSize = size();
    framedSettled = settled;
    // A view not laid out yet is framed when it gets its size.
    if (!box || width() <= 0 || height() <= 0)
        return;
    bool changed = false;
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        const ViewTransform before = camera;
        const float zoomBefore = zoom;
        Model::Geometry::Framing f = Model::Geometry::frame(*box, camera.rotationMatrix, width(), height());
        // The orthographic projection keeps depth / (2 zoom) model units on either side
        // of the centre: the whole box must lie within them too.
        const double viewDepth = std::sqrt(2.0) * std::max(width(), height());
        const double halfDepth = Model::Geometry::depthHalfExtent(*box, camera.rotationMatrix);
        if (halfDepth > 0)
            f.zoom = std::min(f.zoom, 0.95 * viewDepth / (2.0 * halfDepth));
        camera.setAxisPosition(float(-f.centre[0]), float(-f.centre[1]), float(-f.centre[2]));
        camera.setScreenPosition(0.0f, 0.0f);
        zoom = static_cast<float>(f.zoom);
        mouseHandler.setScale(zoom);
        changed = zoom != zoomBefore || camera.axisX != before.axisX || camera.axisY != before.axisY ||
                  camera.axisZ != before.axisZ || camera.screenX != before.screenX || camera.screenY != before.screenY;
    }
    if (!announce && !changed)
        return;
    update();
    emitAxisPosition();
    emitViewPosition();
    emitZoom();
}

void GLWidget::frameFirstObject()
{
    const bool empty = context.scene.objectCount() == 0;
    if (sceneWasEmpty && !empty) {
        keepFramed = true;
        framedSize = QSize();
    }
    sceneWasEmpty = empty;
    if (empty)
        keepFramed = false;
    if (keepFramed && (framedSize != size() || !framedSettled))
        frameScene(false);
}

void GLWidget::cameraTaken() { keepFramed = false; }

// --- signals -------------------------------------------------------------------------
// Emitted with no lock held: a receiver may call back into the view.

void GLWidget::emitRotation() { emit rotationChanged(getRotation()); }
void GLWidget::emitAxisPosition() { emit axisPositionChanged(getAxisPosition()); }
void GLWidget::emitViewPosition() { emit viewPositionChanged(getScreenPosition()); }
void GLWidget::emitZoom() { emit zoomChanged(getZoom() * 100.0f); }

void GLWidget::emitLampPosition()
{
    std::vector<float> values;
    {
        Util::CheckedMutexLocker lock(&lampMutex);
        const int a = lamps.active;
        values = {static_cast<float>(a), lamps.getRadius(a), lamps.getAzimuth(a), lamps.getElevation(a)};
    }
    emit lampPositionChanged(values);
}

// --- key slots -----------------------------------------------------------------------

void GLWidget::translateAxis(int axis, float amount)
{
    cameraTaken();
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        float *target = axis == 0 ? &camera.axisX : (axis == 1 ? &camera.axisY : &camera.axisZ);
        *target += amount;
    }
    update();
    emitAxisPosition();
}

void GLWidget::increaseTranslateX() { translateAxis(0, axisStep); }
void GLWidget::increaseTranslateY() { translateAxis(1, axisStep); }
void GLWidget::increaseTranslateZ() { translateAxis(2, axisStep); }
void GLWidget::decreaseTranslateX() { translateAxis(0, -axisStep); }
void GLWidget::decreaseTranslateY() { translateAxis(1, -axisStep); }
void GLWidget::decreaseTranslateZ() { translateAxis(2, -axisStep); }

void GLWidget::swithActiveLamp()
{
    {
        Util::CheckedMutexLocker lock(&lampMutex);
        lamps.switchActive();
    }
    update();
}

// --- view properties -----------------------------------------------------------------

ViewProperties::Values GLWidget::viewPropertiesValues() const
{
    ViewProperties::Values v;
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        v.screenX = camera.screenX;
        v.screenY = camera.screenY;
        v.axisX = camera.axisX;
        v.axisY = camera.axisY;
        v.axisZ = camera.axisZ;
        v.angleX = camera.angleX;
        v.angleY = camera.angleY;
        v.angleZ = camera.angleZ;
        v.zoomValue = 1.0 / zoom;
    }
    Util::CheckedMutexLocker lock(&lampMutex);
    v.activeLamp = lamps.active == 0 ? 1 : lamps.active;
    for (int i = 1; i <= lamps.getCount(); ++i) {
        ViewProperties::Lamp lamp;
        lamp.radius = lamps.getRadius(i);
        lamp.azimuth = lamps.getAzimuth(i);
        lamp.elevation = lamps.getElevation(i);
        lamp.enabled = lamps.isEnabled(i);
        v.lamps.push_back(lamp);
    }
    return v;
}

void GLWidget::applyViewProperties(const ViewProperties::Values &v)
{
    cameraTaken();
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        camera.setAxisPosition(static_cast<float>(v.axisX), static_cast<float>(v.axisY),
                               static_cast<float>(v.axisZ));
        camera.setRotation(static_cast<float>(v.angleX), static_cast<float>(v.angleY),
                           static_cast<float>(v.angleZ));
        camera.setScreenPosition(static_cast<float>(v.screenX), static_cast<float>(v.screenY));
        if (v.zoomValue > 0.0 && std::isfinite(1.0 / v.zoomValue)) {
            zoom = static_cast<float>(1.0 / v.zoomValue);
            mouseHandler.setScale(zoom);
        }
    }
    if (!v.lamps.empty()) {
        Util::CheckedMutexLocker lock(&lampMutex);
        const int previousCount = lamps.getCount();
        lamps.setCount(static_cast<int>(v.lamps.size()));
        const int chosen = std::clamp(v.activeLamp, 1, lamps.getCount());
        // A lamp added and chosen in the dialog becomes the one the mouse moves, and so
        // does the chosen one when the active lamp was deleted.
        if (lamps.active != 0 && (previousCount < chosen || lamps.active > lamps.getCount()))
            lamps.active = chosen;
        for (int i = 1; i <= lamps.getCount(); ++i) {
            const ViewProperties::Lamp &lamp = v.lamps[static_cast<size_t>(i - 1)];
            lamps.setAngles(i, static_cast<float>(lamp.azimuth), static_cast<float>(lamp.elevation));
            lamps.setRadius(i, static_cast<float>(lamp.radius));
            lamps.setEnabled(i, lamp.enabled);
        }
    }
    update();
    emitAxisPosition();
    emitRotation();
    emitViewPosition();
    emitZoom();
    emitLampPosition();
}

bool GLWidget::showViewProperties(int tab)
{
    ViewProperties dialog(viewPropertiesValues(), tab, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    applyViewProperties(dialog.values());
    return true;
}

// --- OpenGL --------------------------------------------------------------------------

void GLWidget::checkFormat()
{
    const QSurfaceFormat granted = QOpenGLWidget::context()->format();
    if (granted.swapBehavior() != QSurfaceFormat::DoubleBuffer)
        qWarning("Could not get double buffer; results will be suboptimal");
    if (granted.alphaBufferSize() <= 0)
        qWarning("Could not get alpha channel; results will be suboptimal");
    if (granted.depthBufferSize() <= 0)
        qWarning("Could not get depth buffer; results will be suboptimal");
    if (granted.redBufferSize() <= 0 || granted.greenBufferSize() <= 0 || granted.blueBufferSize() <= 0)
        qWarning("Could not get rgba mode; results will be suboptimal");
    if (!currentContextIsDirect())
        qWarning("Could not get direct rendering; results will be suboptimal");
}

void GLWidget::setupGLState()
{
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);

    const GLfloat half[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat full[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, half);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, half);
    glLightfv(GL_LIGHT0, GL_SPECULAR, full);
    for (int i = 1; i < LampSet::maxLamps; ++i)
        glLightfv(static_cast<GLenum>(GL_LIGHT0 + i), GL_DIFFUSE, half);

    const GLfloat specular[] = {0.3f, 0.3f, 0.3f, 1.0f};
    const GLfloat emission[] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat globalAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
    glEnable(GL_COLOR_MATERIAL);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
}

void GLWidget::initializeGL()
{
    checkFormat();
    setupGLState();
    LampSet lampSet = getLamps();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    lampSet.applyPositions();
    lampSet.applySwitches();
}

void GLWidget::resizeGL(int w, int h)
{
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLint>(w * ratio), static_cast<GLint>(h * ratio));
    float viewZoom;
    int viewDepth;
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        depth = static_cast<int32_t>(std::sqrt(2.0) * std::max(w, h));
        mouseHandler.setScale(zoom);
        mouseHandler.setSize(w, h);
        grid.setBounds(-300.0f, -300.0f, 300.0f, 300.0f);
        viewZoom = zoom;
        viewDepth = depth;
    }
    applyProjection(viewZoom, viewDepth);
}

void GLWidget::applyProjection(float viewZoom, int viewDepth)
{
    const double w = width();
    const double h = height();
    const double z = viewZoom;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-w / (2.0 * z), w / (2.0 * z), -h / (2.0 * z), h / (2.0 * z), -viewDepth / (2.0 * z),
            viewDepth / (2.0 * z));
    glMatrixMode(GL_MODELVIEW);
}

Util::Vector3D GLWidget::eyeVector(float viewZoom) const
{
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    QMatrix4x4 matrix;
    std::memcpy(matrix.data(), modelView, sizeof modelView);
    bool invertible = false;
    const QMatrix4x4 inverse = matrix.inverted(&invertible);
    if (!invertible)
        return Util::Vector3D(0.0, 0.0, 1.0);
    const QVector3D direction =
        (inverse.map(QVector3D(0.0f, 0.0f, 1.0f)) - inverse.map(QVector3D(0.0f, 0.0f, 0.0f))).normalized();
    const float scale = static_cast<float>(std::max(viewport[2], viewport[3])) * viewZoom * 0.5f;
    const QVector3D eye = direction * scale;
    return Util::Vector3D(eye.x(), eye.y(), eye.z());
}

void GLWidget::paintGL()
{
    // A scene that got its first object without an update notice is framed too, and the
    // first framing follows the size the view is painted at.
    frameFirstObject();
    ViewTransform view;
    float viewZoom;
    int viewDepth;
    bool drawAxis, drawLights, lit, surfaces, edges, drawGrid;
    GridPlane gridPlane;
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        view = camera;
        viewZoom = zoom;
        viewDepth = depth;
        drawAxis = showAxis;
        drawLights = showLights;
        lit = lighting;
        surfaces = renderObjects;
        edges = renderObjectEdges;
        drawGrid = renderGrid;
        gridPlane = grid;
    }
    const LampSet lampSet = getLamps();

    setupGLState();
    applyProjection(viewZoom, viewDepth);

    const Util::Vector4D background = viewColor(Util::ColorSetting::BackgroundColor);
    glClearColor(static_cast<GLfloat>(background.x), static_cast<GLfloat>(background.y),
                 static_cast<GLfloat>(background.z), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

    if (lit)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);

    // Lamps are fixed to the camera: their positions are set before the camera moves.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    lampSet.applyPositions();
    lampSet.applySwitches();
    view.apply();

    if (drawGrid) {
        glDepthMask(GL_FALSE);
        gridPlane.draw(viewColor(Util::ColorSetting::GridColor));
        glDepthMask(GL_TRUE);
    }

    const Util::Vector3D eye = eyeVector(viewZoom);
    const std::vector<Model::ObjectPtr> objects = context.scene.objects();
    for (const Model::ObjectPtr &object : objects) {
        object->draw(surfaces, edges, eye);
        glMatrixMode(GL_MODELVIEW);
    }
    drawGhosts(eye);

    if (drawAxis) {
        glPushMatrix();
        glTranslatef(-view.axisX, -view.axisY, -view.axisZ);
        drawAxisCross();
        glPopMatrix();
    }
    if (drawLights)
        drawLampMarkers(lampSet, viewDepth);
    drawLegend(objects);
}

void GLWidget::drawGhosts(const Util::Vector3D &eye)
{
    // Objects being moved or copied, drawn once more where they would land.
    for (const auto &ghost : context.viewState.ghosts()) {
        const Util::Vector3D offset = ghost.second->getTemporaryOffset();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glTranslated(offset.x, offset.y, offset.z);
        ghost.first->draw(true, true, eye);
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
}

void GLWidget::drawAxisCross() const
{
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0, 0, 0), glVertex3f(50, 0, 0);
    glVertex3f(50, 0, 0), glVertex3f(45, 5, 0);
    glVertex3f(50, 0, 0), glVertex3f(45, -5, 0);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0, 0, 0), glVertex3f(0, 50, 0);
    glVertex3f(0, 50, 0), glVertex3f(5, 45, 0);
    glVertex3f(0, 50, 0), glVertex3f(-5, 45, 0);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0, 0, 0), glVertex3f(0, 0, 50);
    glVertex3f(0, 0, 50), glVertex3f(0, 5, 45);
    glVertex3f(0, 0, 50), glVertex3f(0, -5, 45);
    glEnd();
    glLineWidth(1.0f);
    glPopAttrib();
}

void GLWidget::drawLampMarkers(const LampSet &lampSet, int viewDepth) const
{
    if (lampSet.active == 0)
        return;
    constexpr int segments = 16;
    constexpr double twoPi = 6.283185307179586;

    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int lamp = 1; lamp <= lampSet.getCount(); ++lamp) {
        const float *p = lampSet.getPosition(lamp);
        if (lamp == lampSet.active)
            glColor3f(1.0f, 1.0f, 0.0f);
        else
            glColor3f(1.0f, 1.0f, 1.0f);
        const double x = p[0];
        const double y = p[1];
        const double e = std::min(static_cast<double>(p[2]), static_cast<double>(viewDepth));
        const double g = e / 50.0 + 20.0;

        glBegin(GL_LINE_LOOP);
        for (int k = 0; k < segments; ++k) {
            const double a = twoPi * k / segments;
            glVertex3d(x + std::cos(a) * (g / 2.0 - 2.0), y + std::sin(a) * (g / 2.0 - 2.0), e);
        }
        glEnd();
        glBegin(GL_LINES);
        for (int k = 0; k < segments; ++k) {
            const double a = twoPi * k / segments;
            glVertex3d(x + std::cos(a) * g / 2.0, y + std::sin(a) * g / 2.0, e);
            glVertex3d(x + std::cos(a) * g, y + std::sin(a) * g, e);
        }
        glEnd();

        if (std::fabs(x) > g || std::fabs(y) > g) {
            const double distance = std::sqrt(x * x + y * y);
            const double reach = distance - g;
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(8, 0xAAAA);
            glBegin(GL_LINES);
            glVertex3d(0.0, 0.0, e);
            glVertex3d(x / distance * reach, y / distance * reach, e);
            glEnd();
            glDisable(GL_LINE_STIPPLE);
        }
    }
    glPopMatrix();
    glPopAttrib();
}

void GLWidget::drawLegend(const std::vector<Model::ObjectPtr> &objects)
{
    if (!legend.update(objects))
        return;
    const Util::Vector4D outline = viewColor(Util::ColorSetting::OutlineColor);
    legend.drawBar(width(), height(), outline);
    QPainter painter(this);
    legend.drawTexts(painter, width(), height(), outline);
    painter.end();
}

// --- mouse ---------------------------------------------------------------------------

void GLWidget::setActiveLampFromPointer()
{
    float azimuth = 0.0f;
    float elevation = 0.0f;
    mouseHandler.lampAngles(&azimuth, &elevation);
    Util::CheckedMutexLocker lock(&lampMutex);
    lamps.setAngles(lamps.active, azimuth, elevation);
}

void GLWidget::mousePressEvent(QMouseEvent *event)
{
    dragging = true;
    lastPointer = event->pos();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        mouseHandler.setSize(width(), height());
    }
    if (event->button() == Qt::RightButton) {
        mouseHandler.press(event->pos(), MouseHandler::Pan);
        dragAction = shift ? DragAction::AxisPan : DragAction::ScreenPan;
        if (shift)
            emitAxisPosition();
        else
            emitViewPosition();
    } else if (event->button() == Qt::LeftButton && !shift) {
        // A click may only select: the angles are reported once the pointer drags.
        clickPending = true;
        mouseHandler.press(event->pos(), MouseHandler::Trackball);
        dragAction = DragAction::Rotate;
    } else if (event->button() == Qt::LeftButton) {
        mouseHandler.press(event->pos(), MouseHandler::Lamp);
        dragAction = DragAction::MoveLamp;
        setActiveLampFromPointer();
        update();
        emitLampPosition();
    } else {
        dragAction = DragAction::None;
    }
    event->accept();
}

void GLWidget::mouseMoveEvent(QMouseEvent *event)
{
    // Ghosts of objects being moved or copied follow the pointer.
    if (!dragging && context.viewState.hasClickRequest() &&
        context.viewState.hoverPoint(groundPoint(event->pos()))) {
        update();
        return;
    }
    // Tracking is on for the whole widget; only drags matter. A move that does not
    // change the position is no drag and keeps a pending click.
    if (!dragging || event->pos() == lastPointer)
        return;
    lastPointer = event->pos();
    clickPending = false;
    mouseHandler.move(event->pos());
    const float viewZoom = getZoom();
    const float dx = mouseHandler.dx() / viewZoom;
    const float dy = mouseHandler.dy() / viewZoom;

    if (dragAction != DragAction::MoveLamp && dragAction != DragAction::None)
        cameraTaken();
    switch (dragAction) {
    case DragAction::ScreenPan: {
        {
            Util::CheckedMutexLocker lock(&viewMutex);
            camera.moveScreen(dx, dy);
        }
        emitViewPosition();
        break;
    }
    case DragAction::AxisPan: {
        {
            Util::CheckedMutexLocker lock(&viewMutex);
            camera.moveAxis(dx, dy);
        }
        emitAxisPosition();
        break;
    }
    case DragAction::Rotate: {
        float angle = 0.0f, nx = 0.0f, ny = 0.0f, nz = 1.0f;
        if (mouseHandler.trackballRotation(&angle, &nx, &ny, &nz)) {
            Util::CheckedMutexLocker lock(&viewMutex);
            camera.rotate(angle, nx, ny, nz);
        }
        emitRotation();
        break;
    }
    case DragAction::MoveLamp:
        setActiveLampFromPointer();
        emitLampPosition();
        break;
    case DragAction::None:
        break;
    }
    update();
    event->accept();
}

void GLWidget::mouseReleaseEvent(QMouseEvent *event)
{
    dragging = false;
    if (clickPending && event->button() == Qt::LeftButton && context.viewState.hasClickRequest()) {
        // Move and Copy wait for points: hand them the clicked point on the ground plane.
        context.viewState.deliverClick(groundPoint(event->pos()));
        update();
    } else if (clickPending && event->button() == Qt::LeftButton && context.isSelectionMode()) {
        if (pick(event->pos()))
            update();
    }
    clickPending = false;
    dragAction = DragAction::None;
    event->accept();
}

void GLWidget::wheelEvent(QWheelEvent *event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    int delta = event->angleDelta().y();
    // Some window systems turn Shift+wheel into horizontal scrolling.
    if (shift && delta == 0)
        delta = event->angleDelta().x();
    const double c = delta / 1200.0;

    if (!shift) {
        cameraTaken();
        {
            Util::CheckedMutexLocker lock(&viewMutex);
            zoom = static_cast<float>(delta > 0 ? zoom * (1.0 + c) : zoom / (1.0 - c));
            mouseHandler.setScale(zoom);
        }
        update();
        emitZoom();
    } else {
        {
            Util::CheckedMutexLocker lock(&lampMutex);
            const int a = lamps.active;
            if (!lamps.contains(a)) {
                event->accept();
                return;
            }
            double r = lamps.getRadius(a);
            if (r >= 1.0)
                r = delta > 0 ? r * (1.0 + c) : r / (1.0 - c);
            else if (r >= 0.0)
                r = delta > 0 ? 2.0 : 0.0;
            lamps.setRadius(a, static_cast<float>(r));
        }
        update();
        emitLampPosition();
    }
    event->accept();
}

// --- picking -------------------------------------------------------------------------

GLWidget::PickFrame GLWidget::beginPicking()
{
    PickFrame frame;
    float viewZoom;
    int viewDepth;
    {
        Util::CheckedMutexLocker lock(&viewMutex);
        frame.view = camera;
        viewZoom = zoom;
        viewDepth = depth;
    }
    makeCurrent();
    frame.ratio = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLint>(width() * frame.ratio), static_cast<GLint>(height() * frame.ratio));
    glGetIntegerv(GL_VIEWPORT, frame.viewport);
    applyProjection(viewZoom, viewDepth);
    glGetDoublev(GL_PROJECTION_MATRIX, frame.projection);
    return frame;
}

Util::Vector3D GLWidget::groundPoint(const QPoint &position)
{
    const PickFrame frame = beginPicking();
    const GLint *viewport = frame.viewport;
    const GLdouble *projection = frame.projection;
    const qreal ratio = frame.ratio;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    frame.view.apply();
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glPopMatrix();
    doneCurrent();

    // The ray under the pointer, from the near to the far plane, meets z = 0; seen edge-on
    // the ground gives no point, and the ray's middle stands in.
    const GLdouble wx = position.x() * ratio;
    const GLdouble wy = viewport[1] + viewport[3] - position.y() * ratio;
    GLdouble nx, ny, nz, fx, fy, fz;
    gluUnProject(wx, wy, 0.0, modelView, projection, viewport, &nx, &ny, &nz);
    gluUnProject(wx, wy, 1.0, modelView, projection, viewport, &fx, &fy, &fz);
    const GLdouble dz = fz - nz;
    GLdouble t = 0.5;
    if (std::abs(dz) > 1e-12 && -nz / dz >= 0.0 && -nz / dz <= 1.0)
        t = -nz / dz;
    return Util::Vector3D(nx + t * (fx - nx), ny + t * (fy - ny), nz + t * dz);
}

bool GLWidget::pick(const QPoint &position)
{
    const std::vector<Model::ObjectPtr> objects = context.scene.objects();
    if (objects.empty())
        return false;

    constexpr GLsizei bufferSize = 2048;
    std::vector<GLuint> buffer(bufferSize, 0);

    PickFrame frame = beginPicking();
    GLint *viewport = frame.viewport;
    const GLdouble *projection = frame.projection;
    const qreal ratio = frame.ratio;
    frame.view.apply();

    glSelectBuffer(bufferSize, buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPickMatrix(position.x() * ratio, viewport[1] + viewport[3] - position.y() * ratio, 4.0, 4.0,
                  viewport);
    glMultMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    for (const Model::ObjectPtr &object : objects) {
        glPushName(static_cast<GLuint>(object->getId()));
        object->drawForPicking();
        glPopName();
        glMatrixMode(GL_MODELVIEW);
    }
    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    doneCurrent();

    // A full buffer (-1) still holds its first record complete.
    if (hits == 0)
        return false;
    const GLuint names = buffer[0];
    if (hits < 0 && names + 3 > static_cast<GLuint>(bufferSize))
        return false;
    for (GLuint k = 0; k < names && 3 + k < static_cast<GLuint>(bufferSize); ++k) {
        const Model::ObjectPtr object = context.scene.find(static_cast<int32_t>(buffer[3 + k]));
        if (object)
            context.setObjectSelected(object, !object->isSelected());
    }
    return true;
}

} // namespace Ui

// Last in the file: the X11 headers define macros (None, Bool, Status, ...) that would
// break the Qt headers above.
#include <GL/glx.h>

namespace Ui {
namespace {

bool currentContextIsDirect()
{
    Display *display = glXGetCurrentDisplay();
    GLXContext glx = glXGetCurrentContext();
    if (!display || !glx)
        return true;
    return glXIsDirect(display, glx) == True;
}

} // namespace
} // namespace Ui

namespace Ui {

QImage GLWidget::grabOpaqueImage()
{
    return grabFramebuffer().convertToFormat(QImage::Format_RGB32);
}

} // namespace Ui
