#include "guiapplication.h"

#include <QGuiApplication>
#include <stdexcept>

namespace KelvanePython {

void ensureGuiApplication()
{
    QCoreApplication *existing = QCoreApplication::instance();
    if (existing) {
        if (!qobject_cast<QGuiApplication *>(existing))
            throw std::runtime_error("pictures need a Qt GUI application, and this program runs a Qt "
                                     "application without one");
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt keeps the arguments for the application's lifetime, which is the process's: the
    // application is never destroyed, as Python may still draw while it shuts down.
    static int argc = 1;
    static char name[] = "kelvane";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

} // namespace KelvanePython
