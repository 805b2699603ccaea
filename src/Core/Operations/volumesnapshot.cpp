#include "Core/Operations/volumesnapshot.h"

#include "Core/Operations/snapshotfiles.h"

#include <QFile>
#include <cstring>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

// Appends the decimal digits of v to out.
inline char *writeUnsigned(char *out, uint32_t v)
{
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    while (n)
        *out++ = digits[--n];
    return out;
}

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads the next white-space-delimited word of a line; false at the end of the line.
bool nextWord(const char *&p, const char *end, const char **begin, const char **stop)
{
    while (p < end && isSpace(*p))
        ++p;
    if (p >= end)
        return false;
    *begin = p;
    while (p < end && !isSpace(*p))
        ++p;
    *stop = p;
    return true;
}

bool parseSigned(const char *b, const char *e, int64_t *value)
{
    bool negative = false;
    if (b < e && (*b == '-' || *b == '+'))
        negative = (*b++ == '-');
    if (b == e)
        return false;
    int64_t v = 0;
    for (; b < e; ++b) {
        if (*b < '0' || *b > '9' || v > (int64_t(1) << 40))
            return false;
        v = v * 10 + (*b - '0');
    }
    *value = negative ? -v : v;
    return true;
}

} // namespace

VolumeSnapshot::VolumeSnapshot(QString key, std::atomic<int32_t> &classCounter, SnapshotFiles &files)
    : key(std::move(key)), instance(classCounter.fetch_add(1)), files(files)
{
}

bool VolumeSnapshot::appendRecord(const QString &fileName, const QString &key, int32_t instance,
                                  TotalVolume &volume, qint64 *offset)
{
    if (fileName.isEmpty())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    if (offset)
        *offset = file.size();

    bool ok = file.write((key + QLatin1Char(' ') + QString::number(instance)).toUtf8()) >= 0;
    const size_t n = volume.getCellCount();
    constexpr size_t chunkCells = 1 << 16;
    QByteArray buffer;
    buffer.resize(static_cast<int>(chunkCells * 11 + 2));
    const Voxel *cells = volume.lockVoxels();
    for (size_t start = 0; ok && start < n; start += chunkCells) {
        const size_t stop = std::min(n, start + chunkCells);
        char *out = buffer.data();
        for (size_t i = start; i < stop; ++i) {
            *out++ = ' ';
            out = writeUnsigned(out, cells[i].getMaterialId());
        }
        ok = file.write(buffer.constData(), out - buffer.constData()) >= 0;
    }
    volume.unlockVoxels();
    ok = ok && file.write("\n", 1) == 1;
    return file.flush() && ok;
}

qint64 VolumeSnapshot::readRecord(const QString &fileName, const QString &key, int32_t instance,
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
        const char *p = line.constData();
        const char *end = p + line.size();
        const char *b;
        const char *e;
        if (!nextWord(p, end, &b, &e))
            continue;
        if (e - b != keyBytes.size() || std::memcmp(b, keyBytes.constData(), keyBytes.size()) != 0)
            continue;
        int64_t number = 0;
        if (!nextWord(p, end, &b, &e) || !parseSigned(b, e, &number) || number != instance)
            continue;

        const size_t n = volume.getCellCount();
        size_t i = 0;
        Voxel *cells = volume.lockVoxels();
        int64_t id = 0;
        while (i < n && nextWord(p, end, &b, &e) && parseSigned(b, e, &id) && id >= 0 && id <= 0xFFFFFFFFll)
            cells[i++].setMaterialId(static_cast<uint32_t>(id));
        volume.unlockVoxels();
        return static_cast<qint64>(i);
    }
    return -1;
}

bool VolumeSnapshot::writeUndoRecord(TotalVolume &volume)
{
    return appendRecord(files.undoFileName(), key, instance, volume, &undoOffset);
}

bool VolumeSnapshot::writeRedoRecord(TotalVolume &volume)
{
    return appendRecord(files.redoFileName(), key, instance, volume, &redoOffset);
}

void VolumeSnapshot::restore(const QString &fileName, qint64 offset, TotalVolume &volume)
{
    if (readRecord(fileName, key, instance, volume, offset < 0 ? 0 : offset) < 0 && offset > 0)
        readRecord(fileName, key, instance, volume, 0);
    volume.getPainter()->regenerate();
}

void VolumeSnapshot::restoreFromUndoFile(TotalVolume &volume)
{
    restore(files.undoFileName(), undoOffset, volume);
}

void VolumeSnapshot::restoreFromRedoFile(TotalVolume &volume)
{
    restore(files.redoFileName(), redoOffset, volume);
}

} // namespace Operations
} // namespace Core
