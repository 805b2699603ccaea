#include "Model/Persistence/documentsource.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>
#include <cstring>

namespace Model {
namespace Persistence {

namespace {

constexpr std::array<bool, 256> plainBytes()
{
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7f; ++c)
        plain[size_t(c)] = c != '<' && c != '&' && c != ']';
    plain['\t'] = plain['\n'] = plain['\r'] = true;
    return plain;
}

constexpr std::array<bool, 256> plain = plainBytes();

// UTF-16 units that a piece of UTF-8 decodes to: one per lead byte, two for the lead
// bytes of characters beyond the basic plane. Pieces never end inside a character.
qint64 utf16Units(const char *bytes, size_t length)
{
    qint64 units = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        units += (c & 0xc0) != 0x80;
        units += c >= 0xf0;
    }
    return units;
}

// True unless the XML declaration at the start of `bytes` names an encoding other than
// UTF-8 or its subset ASCII.
bool declaresUtf8(QByteArray piece)
{
    if (piece.startsWith("\xef\xbb\xbf"))
        piece.remove(0, 3);
    if (!piece.startsWith("<?xml"))
        return true;
    const int at = piece.indexOf("encoding");
    if (at < 0)
        return true;
    int open = at + 8;
    while (open < piece.size() && (piece[open] == ' ' || piece[open] == '=' || piece[open] == '\t' ||
                                   piece[open] == '\n' || piece[open] == '\r'))
        ++open;
    if (open >= piece.size() || (piece[open] != '"' && piece[open] != '\''))
        return false;
    const int close = piece.indexOf(piece[open], open + 1);
    if (close < 0)
        return false;
    const QByteArray name = piece.mid(open + 1, close - open - 1).toLower();
    return name == "utf-8" || name == "utf8" || name == "us-ascii";
}

} // namespace

DocumentSource::DocumentSource(QIODevice &file, size_t bufferSize)
    : file(file), buffer(std::max<size_t>(bufferSize, 4))
{
}

bool DocumentSource::fill()
{
    if (begin < end)
        return true;
    begin = end = 0;
    const qint64 n = file.read(buffer.data(), static_cast<qint64>(buffer.size()));
    if (n <= 0)
        return false;
    end = static_cast<size_t>(n);
    return true;
}

qint64 DocumentSource::readData(char *data, qint64 maxSize)
{
    if (maxSize <= 0 || !fill())
        return 0;
    // The reader takes a read that decodes to no character for the end of the document,
    // and tells the encoding from the first four bytes: keep at least four bytes at hand.
    if (end - begin < 4) {
        std::memmove(buffer.data(), buffer.data() + begin, end - begin);
        end -= begin;
        begin = 0;
        while (end < 4) {
            const qint64 more = file.read(buffer.data() + end, static_cast<qint64>(buffer.size() - end));
            if (more <= 0)
                break;
            end += static_cast<size_t>(more);
        }
    }
    const char *const from = buffer.data() + begin;
    const size_t available = end - begin;
    size_t least = 1;
    if (!started) {
        started = true;
        const unsigned char *const b = reinterpret_cast<const unsigned char *>(from);
        const size_t start = std::min<size_t>(4, available);
        // A byte order mark of UTF-16 or a zero byte (UTF-16 or UTF-32): no byte can then
        // be taken for the character it looks like.
        if (start >= 2 && ((b[0] == 0xfe && b[1] == 0xff) || (b[0] == 0xff && b[1] == 0xfe)))
            asciiCompatible = false;
        if (std::memchr(b, 0, start))
            asciiCompatible = false;
        // The UTF-8 byte order mark is no character to the reader.
        if (start >= 3 && b[0] == 0xef && b[1] == 0xbb && b[2] == 0xbf)
            deliveredChars -= 1;
        least = start;
    }
    size_t n = std::min(available, static_cast<size_t>(maxSize));
    if (asciiCompatible && n > least) {
        if (const void *gt = std::memchr(from + least - 1, '>', n - (least - 1))) {
            n = static_cast<size_t>(static_cast<const char *>(gt) - from) + 1;
        } else {
            // No character is split between two reads (a lone piece of one would read as
            // the end). Four bytes hold any character, so something is always left.
            size_t lead = n - 1;
            while (lead > 0 && lead + 4 > n && (static_cast<unsigned char>(from[lead]) & 0xc0) == 0x80)
                --lead;
            const unsigned char c = static_cast<unsigned char>(from[lead]);
            const size_t length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 1;
            if (lead > 0 && lead + length > n)
                n = lead;
        }
    }
    // The XML declaration, if there is one, ends at the first '>'.
    if (!declarationRead) {
        declaration.append(from, static_cast<int>(n));
        if (std::memchr(from, '>', n) || declaration.size() > 1024) {
            declarationRead = true;
            asciiCompatible = asciiCompatible && declaresUtf8(declaration);
            declaration = QByteArray();
        }
    }
    std::memcpy(data, from, n);
    begin += n;
    deliveredChars += utf16Units(from, n);
    lastTwo[0] = n >= 2 ? from[n - 2] : lastTwo[1];
    lastTwo[1] = from[n - 1];
    return static_cast<qint64>(n);
}

bool DocumentSource::atContentOf(const QXmlStreamReader &reader) const
{
    if (!asciiCompatible || reader.characterOffset() != deliveredChars)
        return false;
    // An empty element ("<State/>") has no content: what follows belongs to its parent.
    return !(lastTwo[0] == '/' && lastTwo[1] == '>');
}

const char *DocumentSource::plainText(size_t *length)
{
    *length = 0;
    if (!fill())
        return nullptr;
    const char *const from = buffer.data() + begin;
    const size_t available = end - begin;
    size_t n = 0;
    while (n < available && plain[static_cast<unsigned char>(from[n])])
        ++n;
    *length = n;
    return from;
}

void DocumentSource::consume(size_t length) { begin += std::min(length, end - begin); }

} // namespace Persistence
} // namespace Model
