#pragma once

#include "Model/Automaton/totalvolume.h"

#include <QString>
#include <atomic>
#include <cstdint>

namespace Core {
namespace Operations {

class SnapshotFiles;

// Cell records of one undoable process step: "key instance id id id ..." on one line,
// the ids in cell-index order. The undo record is written before the step changes the
// cells, the redo record after.
class VolumeSnapshot
{
public:
    // Takes the class's counter value as the instance number and increments it.
    VolumeSnapshot(QString key, std::atomic<int32_t> &classCounter, SnapshotFiles &files);

    QString getKey() const { return key; }
    int32_t getInstance() const { return instance; }

    bool writeUndoRecord(Model::Automaton::TotalVolume &volume);
    bool writeRedoRecord(Model::Automaton::TotalVolume &volume);
    // Both lock the cells while they write them and always regenerate the surfaces.
    void restoreFromUndoFile(Model::Automaton::TotalVolume &volume);
    void restoreFromRedoFile(Model::Automaton::TotalVolume &volume);

    // File-level helpers, also used by tests.
    static bool appendRecord(const QString &fileName, const QString &key, int32_t instance,
                             Model::Automaton::TotalVolume &volume, qint64 *offset);
    // Searches from `offset` (0 = the whole file) for the first record of key and
    // instance and writes its ids into the cells. Returns the number of cells set, or
    // -1 when the file cannot be opened or holds no such record.
    static qint64 readRecord(const QString &fileName, const QString &key, int32_t instance,
                             Model::Automaton::TotalVolume &volume, qint64 offset);

private:
    void restore(const QString &fileName, qint64 offset, Model::Automaton::TotalVolume &volume);

    QString key;
    int32_t instance;
    SnapshotFiles &files;
    // Where this step's records start. Two classes share a key while counting their
    // instances separately, so the position tells the records apart.
    qint64 undoOffset = -1;
    qint64 redoOffset = -1;
};

} // namespace Operations
} // namespace Core
