#pragma once

#include <QString>

class QWidget;

namespace Ui {

// Asks where to save a file, as QFileDialog::getSaveFileName does, and gives a name typed
// without a suffix the `suffix` of its kind ("mem", "plst", "png"), so that the Open
// dialog's filter shows the file. A file of the completed name that exists is replaced
// only after the user agrees. Empty when the user cancels.
QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &start, const QString &filter,
                       const QString &suffix);

// `name` with ".suffix" added when it has no suffix.
QString withSuffix(const QString &name, const QString &suffix);

} // namespace Ui
