#pragma once

#include <QString>

namespace Util {

// Copies the regular file at `path` to the first free name of "<path>.bak", "<path>.bak2",
// ... before it is replaced, and returns that name (empty when there is no such file or
// the copy failed). Used where a file that could not be read is about to be rewritten, so
// that a hand-edited file with one mistake is never lost.
QString keepBackup(const QString &path);

} // namespace Util
