#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace Ui {

// Where a file chooser starts: the folder of the last file it was given during this run
// of the program, the home folder before that. Each chooser keeps its own.
class RememberedFolder
{
public:
    QString folder() const { return remembered.isEmpty() ? QDir::homePath() : remembered; }
    void rememberFileOf(const QString &fileName) { remembered = QFileInfo(fileName).absolutePath(); }

private:
    QString remembered;
};

} // namespace Ui
