#include "Util/startupnotices.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>

namespace Util {

namespace {

QMutex &noticeMutex()
{
    static QMutex mutex;
    return mutex;
}

QStringList &notices()
{
    static QStringList list;
    return list;
}

} // namespace

void addStartUpNotice(const QString &text)
{
    QMutexLocker lock(&noticeMutex());
    notices().append(text);
}

QStringList takeStartUpNotices()
{
    QMutexLocker lock(&noticeMutex());
    QStringList taken;
    taken.swap(notices());
    return taken;
}

QString replacedFileNotice(const QString &what, const QString &path, const QString &backup,
                           const QString &replacement)
{
    const QString kept = backup.isEmpty()
                             ? QStringLiteral("Its contents could not be kept aside.")
                             : QStringLiteral("Its contents were kept unchanged in %1.").arg(QDir::toNativeSeparators(backup));
    return QStringLiteral("The %1 %2 could not be read. %3 It now holds %4.")
        .arg(what, QDir::toNativeSeparators(path), kept, replacement);
}

} // namespace Util
