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

    // An icon.ico in the working folder wins; then the icon installed with the desktop
    // entry; a plain red square otherwise.
    QPixmap icon;
    if (icon.load(QStringLiteral("icon.ico"))) {
        icon = icon.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        app.setWindowIcon(QIcon(icon));
    } else if (QIcon::hasThemeIcon(QStringLiteral("kelvane"))) {
        app.setWindowIcon(QIcon::fromTheme(QStringLiteral("kelvane")));
    } else {
        icon = QPixmap(32, 32);
        icon.fill(QColor(207, 8, 12, 255));
        app.setWindowIcon(QIcon(icon));
    }

    auto *window = new Ui::MainWindow();
    window->showMaximized();
    return app.exec();
}
