#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/mainwindow.h"
#include "Util/vector3d.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QPixmap>

int main(int argc, char **argv)
{
    // The catalogues load (or install their built-ins) before any window exists.
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();
    Util::Vector3D::registerMetaType();

    QApplication app(argc, argv);

    QPixmap icon;
    if (icon.load(QStringLiteral("icon.ico"))) {
        icon = icon.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        icon = QPixmap(32, 32);
        icon.fill(QColor(207, 8, 12, 255));
    }
    app.setWindowIcon(QIcon(icon));

    auto *window = new Ui::MainWindow();
    window->showMaximized();
    return app.exec();
}
