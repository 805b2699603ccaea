#include "Util/nulbytes.h"

#include <QIODevice>
#include <cstring>
#include <vector>

namespace Util {

qint64 firstNulByte(QIODevice &device)
{
    if (!device.seek(0))
        return -1;
    std::vector<char> buffer(size_t(1) << 16);
    qint64 offset = 0;
    qint64 found = -1;
    for (;;) {
        const qint64 n = device.read(buffer.data(), static_cast<qint64>(buffer.size()));
        if (n <= 0)
            break;
        if (offset == 0) {
            const unsigned char *b = reinterpret_cast<const unsigned char *>(buffer.data());
            const size_t head = static_cast<size_t>(qMin<qint64>(n, 4));
            const bool utf16Mark = n >= 2 && ((b[0] == 0xfe && b[1] == 0xff) || (b[0] == 0xff && b[1] == 0xfe));
            if (utf16Mark || std::memchr(b, 0, head))
                break;
        }
        if (const void *nul = std::memchr(buffer.data(), 0, static_cast<size_t>(n))) {
            found = offset + (static_cast<const char *>(nul) - buffer.data());
            break;
        }
        offset += n;
    }
    device.seek(0);
    return found;
}

QString nulByteMessage(qint64 offset)
{
    return QStringLiteral("The file holds a NUL byte (at byte %1): it is damaged or not a text file.").arg(offset);
}

} // namespace Util
