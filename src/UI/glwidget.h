#pragma once

#include "UI/fieldlegend.h"
#include "UI/gridplane.h"
#include "UI/lampset.h"
#include "UI/mousehandler.h"
#include "UI/viewproperties.h"
#include "UI/viewtransform.h"

#include <QImage>
#include <QMutex>
#include <QOpenGLWidget>
#include <QPoint>
#include <QSize>
#include <memory>
#include <vector>

class QShortcut;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {

namespace Observers {
class UpdateObserver;
}

// The 3-D view: draws the context's scene with fixed-function OpenGL under an
// orthographic projection, turns the mouse into rotation, pan, zoom and lamp moves, and
// toggles the selection of the object under a click while the selection mode is on.
class GLWidget : public QOpenGLWidget
{
    Q_OBJECT
public:
    // The shortcuts belong to shortcutParent (the main window), or to parent when none is
    // given, or to the view itself when it has no parent.
    explicit GLWidget(Core::Operations::OperationContext &context, QWidget *parent = nullptr,
                      QWidget *shortcutParent = nullptr);
    ~GLWidget() override;

    float getZoom() const;
    // Pixels per model unit; values that are not positive are refused.
    void setZoom(float value);
    // Angles x, y, z in degrees.
    std::vector<float> getRotation() const;
    std::vector<float> getAxisPosition() const;
    // Screen pan x, y.
    std::vector<float> getScreenPosition() const;
    void setAxisPosition(float x, float y, float z);
    void setScreenPosition(float x, float y);
    ViewTransform getCamera() const;
    LampSet getLamps() const;
    int getActiveLamp() const;
    int getDepth() const;

    bool getShowAxis() const;
    bool getShowLights() const;
    bool getLighting() const;
    bool getRenderObjects() const;
    bool getRenderObjectEdges() const;
    bool getRenderGrid() const;
    bool getSnapToGrid() const;
    float getGridSpacing() const;

    // The values the view-properties dialog opens with, and applying its answer.
    ViewProperties::Values viewPropertiesValues() const;
    void applyViewProperties(const ViewProperties::Values &values);
    // Runs the dialog modally on the given tab (ViewProperties::ViewMode or LampMode);
    // applies the values when it is accepted and returns whether it was.
    bool showViewProperties(int tab);

    // Where the legend learns which volumes are drawn as fields.
    void setFieldQuery(std::shared_ptr<FieldLegend::IFieldQuery> query);
    // The legend as the last frame drew it.
    const FieldLegend &getLegend() const { return legend; }

signals:
    void rotationChanged(std::vector<float> angles);
    void axisPositionChanged(std::vector<float> position);
    void viewPositionChanged(std::vector<float> position);
    void zoomChanged(float percent);
    void lampPositionChanged(std::vector<float> lamp);

public slots:
    void increaseTranslateX();
    void increaseTranslateY();
    void increaseTranslateZ();
    void decreaseTranslateX();
    void decreaseTranslateY();
    void decreaseTranslateZ();
    void swithActiveLamp();

    // Schedules a repaint; frames the scene when its first object has just entered.
    void updateGL();
    // Turns the view about the centre of what the scene's cell volumes show (their filled
    // cells, Model::Geometry::sceneBounds) and zooms so that all of it shows with a margin;
    // the rotation stays. Nothing happens in an empty scene.
    void fitView();
    // The view as an image without alpha, so that viewers show the view's background.
    QImage grabOpaqueImage();

    void setShowAxis(bool on);
    void setShowLights(bool on);
    void setLighting(bool on);
    void setRenderObjects(bool on);
    void setRenderObjectEdges(bool on);
    void setRenderGrid(bool on);
    void setSnapToGrid(bool on);
    void setRotation(float x, float y, float z);
    // Spacings that are not positive are refused.
    void setGridSpacing(float spacing);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    enum class DragAction { None, ScreenPan, AxisPan, Rotate, MoveLamp };

    void checkFormat();
    void setupGLState();
    void applyProjection(float viewZoom, int viewDepth);
    Util::Vector3D eyeVector(float viewZoom) const;
    void drawAxisCross() const;
    void drawGhosts(const Util::Vector3D &eye);
    // The viewport, projection and camera of a picking pass; the GL context is current
    // afterwards and the projection loaded.
    struct PickFrame
    {
        ViewTransform view;
        GLint viewport[4];
        GLdouble projection[16];
        qreal ratio = 1.0;
    };
    PickFrame beginPicking();
    // The point where the pointer's ray meets the ground plane z = 0.
    Util::Vector3D groundPoint(const QPoint &position);
    void drawLampMarkers(const LampSet &lampSet, int viewDepth) const;
    void drawLegend(const std::vector<Model::ObjectPtr> &objects);
    // Toggles the first object hit at a widget position; true when something was hit.
    bool pick(const QPoint &position);
    void translateAxis(int axis, float amount);
    void setActiveLampFromPointer();

    // Frames the scene's first volumes: once the scene was empty at the last look and is
    // not now, fitView() runs again whenever the view's size differs from the one it
    // framed for, or the volumes' surfaces were not made yet then, until the user moves
    // the camera. So a document opened into a window not yet shown at its final size is
    // framed for that size, and a view the user chose is never moved.
    void frameFirstObject();
    // fitView(); the camera's signals go out when `announce` is set or the camera changed.
    void frameScene(bool announce);
    // The user moved the camera: the automatic framing stops.
    void cameraTaken();
    void emitRotation();
    void emitAxisPosition();
    void emitViewPosition();
    void emitZoom();
    void emitLampPosition();

    ViewTransform camera;
    LampSet lamps;
    float zoom;
    int32_t depth;
    // Guard the camera and switches, and the lamps, for readers outside the GUI thread.
    mutable QMutex viewMutex;
    mutable QMutex lampMutex;
    bool showAxis;
    bool showLights;
    bool lighting;
    bool renderObjects;
    bool renderObjectEdges;
    bool renderGrid;
    bool snapToGrid;
    GridPlane grid;
    Core::Operations::OperationContext &context;
    MouseHandler mouseHandler;
    FieldLegend legend;
    bool dragging;
    bool clickPending;
    bool sceneWasEmpty = true;
    // The automatic framing is on, and what it last framed for.
    bool keepFramed = false;
    QSize framedSize;
    bool framedSettled = false;
    QShortcut *shortcutQ;
    QShortcut *shortcutW;
    QShortcut *shortcutE;
    QShortcut *shortcutA;
    QShortcut *shortcutS;
    QShortcut *shortcutD;
    QShortcut *shortcutL;

    DragAction dragAction = DragAction::None;
    QPoint lastPointer;
    std::shared_ptr<Observers::UpdateObserver> updateObserver;
};

} // namespace Ui
