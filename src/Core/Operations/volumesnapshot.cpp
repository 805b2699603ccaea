#include "Core/Operations/volumesnapshot.h"

#include "Core/Operations/snapshotfiles.h"

#include <QFile>
#include <QMutex>
#include <map>
#include <memory>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

VolumeSnapshot::VolumeSnapshot(QString key, std::atomic<int32_t> &classCounter, SnapshotFiles &files)
    : key(std::move(key)), instance(classCounter.fetch_add(1)), files(files)
{
}

std::atomic<int32_t> &VolumeSnapshot::counterFor(const QString &key)
{
    static QMutex mutex;
    static std::map<QString, std::unique_ptr<std::atomic<int32_t>>> counters;
    QMutexLocker lock(&mutex);
    std::unique_ptr<std::atomic<int32_t>> &counter = counters[key];
    if (!counter)
        counter = std::make_unique<std::atomic<int32_t>>(0);
    return *counter;
}

bool VolumeSnapshot::writeRecords(TotalVolume &volume, bool *changed)
{
    if (!before.isTaken())
        return false;
    QFile undo(files.undoFileName());
    QFile redo(files.redoFileName());
    bool ok = !files.undoFileName().isEmpty() && !files.redoFileName().isEmpty() &&
              undo.open(QIODevice::WriteOnly | QIODevice::Append) && redo.open(QIODevice::WriteOnly | QIODevice::Append);
    if (ok) {
        undoOffset = undo.size();
        redoOffset = redo.size();
        const QByteArray head = (key + QLatin1Char(' ') + QString::number(instance)).toUtf8();
        ok = before.writeChanges(volume, head, undo, redo, changed);
        ok = undo.flush() && ok;
        ok = redo.flush() && ok;
    }
    before.clear();
    return ok;
}

int64_t VolumeSnapshot::readRecord(const QString &fileName, const QString &key, int32_t instance,
                                   TotalVolume &volume, qint64 offset)
{
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return -1;
    if (offset > 0 && !file.seek(offset))
        return -1;
    const QByteArray keyBytes = key.toUtf8();
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        const char *end = line.constData() + line.size();
        const char *sections = nullptr;
        if (VolumeState::headedBy(line.constData(), end, keyBytes, instance, &sections))
            return VolumeState::apply(sections, end, volume);
    }
    return -1;
}

bool VolumeSnapshot::restore(const QString &fileName, qint64 offset, TotalVolume &volume)
{
    int64_t applied = readRecord(fileName, key, instance, volume, offset < 0 ? 0 : offset);
    if (applied < 0 && offset > 0)
        applied = readRecord(fileName, key, instance, volume, 0);
    volume.getPainter()->regenerate();
    return applied >= 0;
}

bool VolumeSnapshot::restoreFromUndoFile(TotalVolume &volume)
{
    return restore(files.undoFileName(), undoOffset, volume);
}

bool VolumeSnapshot::restoreFromRedoFile(TotalVolume &volume)
{
    return restore(files.redoFileName(), redoOffset, volume);
}

} // namespace Operations
} // namespace Core
