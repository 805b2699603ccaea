#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;

namespace Model {
class Scene;
}

namespace Cli {

// Draws a scene the way the main window's view first shows it (rotation -60, 0, 30,
// one lamp, orthographic), fitted to the image, into an off-screen OpenGL frame
// buffer. Needs a QGuiApplication; the GL context is made on first use.
class OffscreenRenderer
{
public:
    explicit OffscreenRenderer(QSize size = QSize(1024, 768));
    ~OffscreenRenderer();

    // False (with the reason) when no OpenGL context can be made here.
    bool isAvailable(QString *reason);
    // Regenerates the surfaces of the scene's volumes and renders them.
    bool render(Model::Scene &scene, QImage *image, QString *error);
    // render() and write the image; the format follows the file suffix.
    bool save(Model::Scene &scene, const QString &fileName, QString *error);

private:
    bool initialise();

    QSize size;
    bool tried = false;
    QString failure;
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
};

} // namespace Cli
