#pragma once

#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstring>

namespace Util {

// Why a write to `file` just failed, in the system's words ("No space left on device",
// "File too large"). Qt 5 loses the reason when a write stopped part-way, as on a disk
// that fills up during it ("Unknown error"), and cancelWriting() replaces it with
// "Writing canceled by application"; errno still holds it right after the failed call.
// Ask before cancelling.
inline QString writeFailure(const QFileDevice &file)
{
    const int code = errno;
    return code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : file.errorString();
}

// Finishes a QSaveFile. Qt 5's commit() renames the temporary file over the target even
// when writing its last buffered bytes failed (a full disk, a file-size limit), which
// would leave a truncated file in place of the previous one. The buffer is written out
// first; when that fails the temporary file is dropped, the previous file stays, and the
// reason is returned in `error`.
inline bool flushAndCommit(QSaveFile &file, QString *error = nullptr)
{
    errno = 0;
    if (!file.flush()) {
        if (error)
            *error = writeFailure(file);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace Util
