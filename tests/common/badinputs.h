#pragma once

// Bad files made from good ones, for every reader of outside data: the same damage done
// to each kind of file, so the readers are all held to the same standard.
#include <QBuffer>
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QString>
#include <QTextCodec>
#include <cstdint>
#include <vector>

namespace BadInputs {

struct Variant
{
    QString name;
    QByteArray bytes;
    // Whether the reader must refuse it; otherwise it may also read something sane.
    bool mustFail = true;
    // What kind of damage it is; the GUI and batch tests take one variant per kind.
    QString kind;
};

// A number in a file: the text right before its value (for example ` size-x="`), and
// which bad values the reader must refuse there.
struct NumberSite
{
    enum Strictness {
        Tolerant,  // kept as text or clamped by design; only sanity is required
        Finite,    // any finite number is fine; text, NaN, infinity and overflow are not
        Count,     // a whole count within limits: every bad value is refused
    };
    QByteArray before;
    Strictness strictness;
};

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The checked-in sample files the variants start from.
inline QByteArray corpusFile(const char *name) { return readFile(QStringLiteral(KELVANE_CORPUS_DIR "/") + name); }
inline QByteArray exampleFile(const char *name) { return readFile(QStringLiteral(KELVANE_EXAMPLES_DIR "/") + name); }

// One variant of each kind that must be refused.
inline std::vector<Variant> onePerKind(const std::vector<Variant> &variants)
{
    std::vector<Variant> picked;
    QStringList seen;
    for (const Variant &v : variants) {
        if (!v.mustFail || seen.contains(v.kind))
            continue;
        seen << v.kind;
        picked.push_back(v);
    }
    return picked;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// SHA-1 of every file below `folder`, by relative path.
inline QMap<QString, QByteArray> checksums(const QString &folder)
{
    QMap<QString, QByteArray> sums;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        sums.insert(root.relativeFilePath(path),
                    QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha1).toHex());
    }
    return sums;
}

// Reproducible noise (xorshift), so that a failing case fails the same way every run.
inline QByteArray randomBytes(int count, uint32_t seed)
{
    QByteArray bytes(count, '\0');
    uint32_t s = seed ? seed : 1u;
    for (int i = 0; i < count; ++i) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        bytes[i] = static_cast<char>(s & 0xFFu);
    }
    return bytes;
}

// A real 8 x 8 image in the given format: black left half, white right half.
inline QByteArray imageBytes(const char *format = "PNG")
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The value right after the first `before` replaced by `value`; empty when absent.
inline QByteArray withValue(const QByteArray &good, const QByteArray &before, const QByteArray &value)
{
    const int at = good.indexOf(before);
    if (at < 0)
        return QByteArray();
    const int start = at + before.size();
    const int end = good.indexOf('"', start);
    if (end < 0)
        return QByteArray();
    QByteArray bad = good;
    bad.replace(start, end - start, value);
    return bad;
}

namespace detail {

// Where the root element's name starts, and its length.
inline bool rootName(const QByteArray &xml, int *start, int *length)
{
    int at = 0;
    for (;;) {
        at = xml.indexOf('<', at);
        if (at < 0 || at + 1 >= xml.size())
            return false;
        const char next = xml[at + 1];
        if (next != '?' && next != '!')
            break;
        ++at;
    }
    int end = at + 1;
    while (end < xml.size() && xml[end] != ' ' && xml[end] != '>' && xml[end] != '/' && xml[end] != '\n')
        ++end;
    *start = at + 1;
    *length = end - *start;
    return true;
}

// Just after the root's start tag.
inline int insideRoot(const QByteArray &xml)
{
    int start = 0, length = 0;
    if (!rootName(xml, &start, &length))
        return -1;
    const int close = xml.indexOf('>', start);
    return close < 0 ? -1 : close + 1;
}

// Writes `bytes` bytes of `value` at `at`, most significant first or last.
inline void putNumber(QByteArray &into, int at, quint32 value, int bytes, bool bigEndian)
{
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
        into[at + i] = static_cast<char>((value >> shift) & 0xFFu);
    }
}

inline quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims `width` x `height` (both written as they are, so a value
// above 2^31 reads as negative to a signed reader), followed by the good image's data.
inline QByteArray pngClaiming(const QByteArray &png, quint32 width, quint32 height)
{
    QByteArray bad = png;
    if (bad.size() < 33 || bad.mid(12, 4) != "IHDR")
        return QByteArray();
    putNumber(bad, 16, width, 4, true);
    putNumber(bad, 20, height, 4, true);
    putNumber(bad, 29, crc32(bad.mid(12, 17)), 4, true);
    return bad;
}

// A BMP (version 3 header) whose header claims `width` x `height` (signed, as BMP is).
inline QByteArray bmpClaiming(qint32 width, qint32 height)
{
    QByteArray bmp(54 + 16, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    putNumber(bmp, 2, static_cast<quint32>(bmp.size()), 4, false);
    putNumber(bmp, 10, 54, 4, false);
    putNumber(bmp, 14, 40, 4, false);
    putNumber(bmp, 18, static_cast<quint32>(width), 4, false);
    putNumber(bmp, 22, static_cast<quint32>(height), 4, false);
    putNumber(bmp, 26, 1, 2, false);
    putNumber(bmp, 28, 24, 2, false);
    return bmp;
}

} // namespace detail

// The damage every XML reader must survive: empty, cut short, binary, the wrong root,
// bad numbers at `sites`, bytes that are not UTF-8, 100,000 nested elements and a
// repeated attribute.
inline std::vector<Variant> xmlVariants(const QByteArray &good, const std::vector<NumberSite> &sites)
{
    std::vector<Variant> out;
    auto add = [&out](const QString &kind, const QString &name, const QByteArray &bytes, bool mustFail) {
        if (!bytes.isEmpty() || name == QLatin1String("empty"))
            out.push_back({name, bytes, mustFail, kind});
    };
    add(QStringLiteral("empty"), QStringLiteral("empty"), QByteArray(), true);

    for (const int percent : {10, 50, 90})
        add(QStringLiteral("truncated"), QStringLiteral("truncated at %1 %").arg(percent),
            good.left(good.size() * percent / 100), true);
    // Cut inside a tag name and inside a number, past the middle of the file.
    const int middle = good.size() / 2;
    const int tag = good.indexOf('<', middle);
    if (tag >= 0)
        add(QStringLiteral("truncated"), QStringLiteral("truncated mid-tag"), good.left(tag + 3), true);
    for (int i = middle; i + 1 < good.size(); ++i) {
        if (good[i] == '"' && good[i + 1] >= '0' && good[i + 1] <= '9') {
            add(QStringLiteral("truncated"), QStringLiteral("truncated mid-number"), good.left(i + 2), true);
            break;
        }
    }

    add(QStringLiteral("binary"), QStringLiteral("random bytes"), randomBytes(4096, 0x9E3779B9u), true);
    add(QStringLiteral("binary"), QStringLiteral("a PNG image"), imageBytes("PNG"), true);
    add(QStringLiteral("binary"), QStringLiteral("NUL bytes"), QByteArray(1024, '\0'), true);
    QByteArray nul = good;
    nul.insert(middle, QByteArray(16, '\0'));
    add(QStringLiteral("binary"), QStringLiteral("NUL bytes inside"), nul, true);

    int start = 0, length = 0;
    if (detail::rootName(good, &start, &length)) {
        const QByteArray root = good.mid(start, length);
        QByteArray wrong = good;
        wrong.replace("<" + root, "<Unexpected");
        wrong.replace("</" + root + ">", "</Unexpected>");
        add(QStringLiteral("wrong root"), QStringLiteral("wrong root element"), wrong, true);
        add(QStringLiteral("wrong root"), QStringLiteral("only an unknown element"),
            "<?xml version=\"1.0\"?>\n<html><body>not this</body></html>\n", true);
    }

    const QByteArray badNumbers[] = {"abc", "nan", "inf", "-inf", "1e999", "-1", "4294967296",
                                     "99999999999999999999", "4000000000", "", "0"};
    for (const NumberSite &site : sites) {
        const QString where = QString::fromLatin1(site.before).trimmed();
        for (const QByteArray &value : badNumbers) {
            const bool text = value == "abc" || value == "nan" || value == "inf" || value == "-inf" ||
                              value == "1e999" || value.isEmpty();
            const bool mustFail = site.strictness == NumberSite::Count ||
                                  (site.strictness == NumberSite::Finite && text);
            add(QStringLiteral("bad number"), QStringLiteral("%1%2\"").arg(where, QString::fromLatin1(value)),
                withValue(good, site.before, value), mustFail);
        }
    }

    // Not UTF-8: a Latin-1 letter, a broken sequence, an overlong slash, and the whole
    // file as UTF-16 without a byte-order mark or declaration.
    const int inside = detail::insideRoot(good);
    if (inside > 0) {
        const QByteArray foreign[][2] = {{"Latin-1 bytes", "<x n=\"Si\xE9\xE8\"/>"},
                                         {"broken UTF-8 sequence", "<x n=\"\xC3\x28\xA0\xA1\"/>"},
                                         {"overlong UTF-8", "<x n=\"\xC0\xAF\xFF\xFE\"/>"}};
        for (const auto &f : foreign) {
            QByteArray bad = good;
            bad.insert(inside, f[1]);
            add(QStringLiteral("not UTF-8"), QString::fromLatin1(f[0]), bad, true);
        }
    }
    QByteArray body = good;
    if (body.startsWith("<?xml"))
        body = body.mid(body.indexOf("?>") + 2);
    const QString text = QString::fromUtf8(body);
    add(QStringLiteral("not UTF-8"), QStringLiteral("UTF-16 without declaration"),
        QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2), false);

    if (inside > 0) {
        constexpr int depth = 100000;
        QByteArray open, close;
        open.reserve(depth * 3);
        close.reserve(depth * 4);
        for (int i = 0; i < depth; ++i) {
            open += "<a>";
            close += "</a>";
        }
        QByteArray closed = good, unclosed = good;
        closed.insert(inside, open + close);
        unclosed.insert(inside, open);
        // Well-formed nesting is unknown content, which readers pass over.
        add(QStringLiteral("nested"), QStringLiteral("nested 100000 deep"), closed, false);
        add(QStringLiteral("nested"), QStringLiteral("nested 100000 deep, unclosed"), unclosed, true);
    }

    // The first attribute after the root's start tag, given twice.
    if (inside > 0) {
        const int element = good.indexOf('<', inside);
        const int space = element < 0 ? -1 : good.indexOf(' ', element);
        const int equals = space < 0 ? -1 : good.indexOf("=\"", space);
        const int quote = equals < 0 ? -1 : good.indexOf('"', equals + 2);
        if (quote > 0 && good.indexOf('>', element) > quote) {
            const QByteArray attribute = good.mid(space, quote + 1 - space);
            QByteArray bad = good;
            bad.insert(quote + 1, attribute);
            add(QStringLiteral("duplicate attribute"), QStringLiteral("duplicate attribute"), bad, true);
            // NUL bytes within that attribute's name.
            QByteArray nulName = good;
            nulName.insert(space + 3, QByteArray(16, '\0'));
            add(QStringLiteral("binary"), QStringLiteral("NUL bytes in a name"), nulName, true);
        }
    }
    return out;
}

// The damage a mask image must survive; `good` is a real PNG.
inline std::vector<Variant> imageVariants(const QByteArray &good)
{
    std::vector<Variant> out;
    auto add = [&out](const QString &kind, const QString &name, const QByteArray &bytes, bool mustFail) {
        out.push_back({name, bytes, mustFail, kind});
    };
    add(QStringLiteral("empty"), QStringLiteral("empty"), QByteArray(), true);
    // A PNG cut short: the signature alone, or cut within its data. Decoders may give
    // what they have; a cut inside the header leaves nothing to give.
    add(QStringLiteral("truncated"), QStringLiteral("truncated at 10 %"), good.left(good.size() / 10), true);
    add(QStringLiteral("truncated"), QStringLiteral("truncated at 50 %"), good.left(good.size() / 2), false);
    add(QStringLiteral("truncated"), QStringLiteral("truncated at 90 %"), good.left(good.size() * 9 / 10), false);
    add(QStringLiteral("binary"), QStringLiteral("random bytes"), randomBytes(4096, 0x2545F491u), true);
    add(QStringLiteral("binary"), QStringLiteral("NUL bytes"), QByteArray(1024, '\0'), true);
    add(QStringLiteral("wrong root"), QStringLiteral("an XML file"),
        "<?xml version=\"1.0\"?>\n<Process-List version=\"1\"/>\n", true);
    add(QStringLiteral("huge size"), QStringLiteral("PNG claiming 100000 x 100000"),
        detail::pngClaiming(good, 100000, 100000), true);
    add(QStringLiteral("huge size"), QStringLiteral("PNG claiming a negative width"),
        detail::pngClaiming(good, 0x80000000u, 8), true);
    add(QStringLiteral("huge size"), QStringLiteral("PNG claiming 0 x 0"), detail::pngClaiming(good, 0, 0), true);
    add(QStringLiteral("huge size"), QStringLiteral("BMP claiming 2147483647 x 2"),
        detail::bmpClaiming(2147483647, 2), true);
    add(QStringLiteral("huge size"), QStringLiteral("BMP claiming a negative width"),
        detail::bmpClaiming(-4, 2), true);
    return out;
}

} // namespace BadInputs
