#include "Util/filebackup.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>

namespace Util {

QString keepBackup(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return QString();
    for (int n = 1; n <= 100; ++n) {
        const QString copy = path + QStringLiteral(".bak") + (n > 1 ? QString::number(n) : QString());
        if (QFileInfo::exists(copy))
            continue;
        if (!QFile::copy(path, copy))
            break;
        qWarning().noquote() << "The unreadable file" << path << "was kept as" << copy;
        return copy;
    }
    qWarning().noquote() << "The unreadable file" << path << "could not be kept before it is replaced";
    return QString();
}

} // namespace Util
