#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class QStatusBar;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {

// File > "Export 3-D ...": asks for a file and writes the cell volume as VTK image data
// (.vti) or as an STL surface (.stl, in one file or one per material), by the filter
// and suffix chosen. It exports the selected cell volume, or else the scene's first
// one; a busy cursor and the status bar show it working; a failure is shown in a box.
class Export3DCommand
{
public:
    Export3DCommand(QWidget *window, QStatusBar *statusBar, Core::Operations::OperationContext &context);

    void run();

    static const QString title;
    // The chooser's filters: image data, one STL file, one STL file per material.
    static QStringList nameFilters();

private:
    QWidget *window;
    QStatusBar *statusBar;
    Core::Operations::OperationContext &context;
    QString lastPath;
    QString lastFilter;
};

} // namespace Ui
