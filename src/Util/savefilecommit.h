#pragma once

#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstring>

namespace Util {

// Finishes a QSaveFile. Qt 5's commit() renames the temporary file over the target even
// when writing its last buffered bytes failed (a full disk, a file-size limit), which
// would leave a truncated file in place of the previous one. The buffer is written out
// first; when that fails the temporary file is dropped, the previous file stays, and the
// reason is returned in `error`.
inline bool flushAndCommit(QSaveFile &file, QString *error = nullptr)
{
    errno = 0;
    if (!file.flush()) {
        // Qt 5 reports a failed write of the buffer as "Unknown error"; the system's
        // reason (disk full, file too large) is still in errno.
        const int code = errno;
        if (error)
            *error = code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : file.errorString();
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
