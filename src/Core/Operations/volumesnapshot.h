#pragma once

#include "Core/Operations/volumestate.h"
#include "Model/Automaton/totalvolume.h"

#include <QString>
#include <atomic>
#include <cstdint>

namespace Core {
namespace Operations {

class SnapshotFiles;

// The undo and redo records of one step on one volume, kept in the snapshot files under
// "key instance". The volume's state is taken before the step; after it, the records of
// what changed are appended: the old values to the undo file, the new ones to the redo
// file (the format is described with VolumeState).
class VolumeSnapshot
{
public:
    // Takes the class's counter value as the instance number and increments it.
    VolumeSnapshot(QString key, std::atomic<int32_t> &classCounter, SnapshotFiles &files);

    // A class-wide instance counter for a class whose key no other class uses.
    static std::atomic<int32_t> &counterFor(const QString &key);

    QString getKey() const { return key; }
    int32_t getInstance() const { return instance; }

    // Before an options dialog shows a mask on the volume.
    void takeMasks(const Model::Automaton::TotalVolume &volume) { before.takeMasks(volume); }
    bool hasMasks() const { return before.hasMasks(); }
    // Before the step. Throws std::bad_alloc when the copy cannot be had.
    void takeState(Model::Automaton::TotalVolume &volume) { before.take(volume); }
    // A step that failed half-way leaves the volume as it was.
    void putBack(Model::Automaton::TotalVolume &volume) { before.putBack(volume); }
    // After the step: appends both records and frees the taken state. False when either
    // could not be written; *changed (if given) tells whether the step changed anything.
    bool writeRecords(Model::Automaton::TotalVolume &volume, bool *changed = nullptr);

    // Both lock the cells while they set them and always regenerate the surfaces.
    // False when the record cannot be read.
    bool restoreFromUndoFile(Model::Automaton::TotalVolume &volume);
    bool restoreFromRedoFile(Model::Automaton::TotalVolume &volume);

    // Searches from `offset` (0 = the whole file) for the first record of key and
    // instance and applies it. Returns the number of values set, or -1 when the file
    // cannot be opened, holds no such record or the record is malformed.
    static int64_t readRecord(const QString &fileName, const QString &key, int32_t instance,
                              Model::Automaton::TotalVolume &volume, qint64 offset);

private:
    bool restore(const QString &fileName, qint64 offset, Model::Automaton::TotalVolume &volume);

    QString key;
    int32_t instance;
    SnapshotFiles &files;
    VolumeState before;
    // Where this step's records start. Two classes share a key while counting their
    // instances separately, so the position tells the records apart.
    qint64 undoOffset = -1;
    qint64 redoOffset = -1;
};

} // namespace Operations
} // namespace Core
