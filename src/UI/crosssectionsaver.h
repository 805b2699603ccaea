#pragma once

#include <QString>

class QWidget;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {

// "Save Cross-Section": takes the selected cell volume (or the scene's first), asks
// where to cut and where to save, and writes the picture (see CrossSectionImage).
class CrossSectionSaver
{
public:
    static const QString title;
    static const QString chooserFilter;

    // Returns what to show in the status bar: empty when nothing was saved (no volume,
    // cancelled, or a failure already shown in a message box).
    static QString run(Core::Operations::OperationContext &context, QWidget *parent);
    // The folder the file chooser opens in: the home folder until a picture is saved.
    static QString lastDirectory();
};

} // namespace Ui
