#include "Core/Operations/snapshotfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cstdlib>

namespace Core {
namespace Operations {

namespace {

bool createEmpty(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Text))
        return false;
    file.close();
    return true;
}

} // namespace

SnapshotFiles::SnapshotFiles()
{
    // Seeded once from the clock; a name clash draws the next number instead of
    // waiting for the clock to move on.
    QRandomGenerator random(static_cast<quint32>(QDateTime::currentSecsSinceEpoch()));
    // An empty current path means the working directory has gone.
    const QString working = QDir::currentPath();
    if (working.isEmpty() || !tryCreate(random, working + QLatin1Char('/'), 64))
        tryCreate(random, QDir::tempPath() + QLatin1Char('/'), 64);
}

bool SnapshotFiles::tryCreate(QRandomGenerator &random, const QString &folder, int attempts)
{
    for (int i = 0; i < attempts; ++i) {
        const QString n = QString::number(random.bounded(RAND_MAX));
        const QString redo = folder + QStringLiteral("redo") + n + QStringLiteral(".temp");
        const QString undo = folder + QStringLiteral("undo") + n + QStringLiteral(".temp");
        if (QFile::exists(redo) || QFile::exists(undo))
            continue;
        const bool redoMade = createEmpty(redo);
        const bool undoMade = redoMade && createEmpty(undo);
        if (redoMade && undoMade) {
            redoName = redo;
            undoName = undo;
            return true;
        }
        QFile::remove(redo);
        QFile::remove(undo);
        // A folder we cannot write to will not become writable by trying again.
        if (!redoMade)
            return false;
    }
    return false;
}

void SnapshotFiles::discardRecords()
{
    for (const QString &name : {undoName, redoName}) {
        if (!name.isEmpty())
            QFile(name).resize(0);
    }
}

SnapshotFiles::~SnapshotFiles()
{
    if (!undoName.isEmpty())
        QFile::remove(undoName);
    if (!redoName.isEmpty())
        QFile::remove(redoName);
}

} // namespace Operations
} // namespace Core
