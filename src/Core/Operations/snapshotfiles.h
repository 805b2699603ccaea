#pragma once

#include <QString>

class QRandomGenerator;

namespace Core {
namespace Operations {

// The two temporary files that hold the cell records of undoable process steps.
// They are created empty with the context and removed with it.
class SnapshotFiles
{
public:
    // Creates the files in the working directory, or in the system temporary folder
    // when the working directory cannot be written.
    SnapshotFiles();
    ~SnapshotFiles();

    SnapshotFiles(const SnapshotFiles &) = delete;
    SnapshotFiles &operator=(const SnapshotFiles &) = delete;

    QString undoFileName() const { return undoName; }
    QString redoFileName() const { return redoName; }
    // Empties both files once no step in the history refers to their records.
    void discardRecords();

private:
    bool tryCreate(QRandomGenerator &random, const QString &folder, int attempts);

    QString undoName;
    QString redoName;
};

} // namespace Operations
} // namespace Core
