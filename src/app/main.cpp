#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/mainwindow.h"
#include "Util/vector3d.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // The catalogues load (or install their built-ins) before any window exists.
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();
    Util::Vector3D::registerMetaType();

    QApplication app(argc, argv);
    auto *window = new Ui::MainWindow();
    window->showMaximized();
    return app.exec();
}
