#pragma once

// Shared by the fuzz harnesses: a private home folder (the catalogues live there, so the
// user's files are never touched) and a scratch file that each input is written to.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace Fuzz {

inline QTemporaryDir &home()
{
    static QTemporaryDir *dir = [] {
        auto *made = new QTemporaryDir(QDir::tempPath() + "/kelvane-fuzz-XXXXXX");
        qputenv("HOME", made->path().toLocal8Bit());
        QDir(made->path()).mkpath(QStringLiteral("Kelvane"));
        return made;
    }();
    return *dir;
}

// Writes the input to `name` inside the private home folder and returns its path.
inline QString inputFile(const char *name, const uint8_t *data, size_t size)
{
    const QString path = QDir(home().path()).filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    return path;
}

} // namespace Fuzz
