#include "Core/Operations/Photolithography/gdsstream.h"

#include "Util/enumnumbers.h"

#include <array>
#include <cmath>

namespace Core {
namespace Operations {

namespace {

using PathType = GdsStream::PathType;
constexpr std::array<PathType, 4> pathTypes{PathType::Flush, PathType::Round, PathType::HalfWidth, PathType::Extended};

// Record types.
enum : int {
    HEADER = 0x00,
    BGNLIB = 0x01,
    LIBNAME = 0x02,
    UNITS = 0x03,
    ENDLIB = 0x04,
    BGNSTR = 0x05,
    STRNAME = 0x06,
    ENDSTR = 0x07,
    BOUNDARY = 0x08,
    PATH = 0x09,
    SREF = 0x0A,
    AREF = 0x0B,
    TEXT = 0x0C,
    LAYER = 0x0D,
    DATATYPE = 0x0E,
    WIDTH = 0x0F,
    XY = 0x10,
    ENDEL = 0x11,
    SNAME = 0x12,
    COLROW = 0x13,
    NODE = 0x15,
    TEXTTYPE = 0x16,
    STRANS = 0x1A,
    MAG = 0x1B,
    ANGLE = 0x1C,
    PATHTYPE = 0x21,
    BOX = 0x2D,
    BOXTYPE = 0x2E,
    BGNEXTN = 0x30,
    ENDEXTN = 0x31,
};

// Data types.
enum : int { NoData = 0, BitArray = 1, Int16 = 2, Int32 = 3, Real8 = 5, Ascii = 6 };

const char *const names[] = {
    "HEADER",   "BGNLIB",    "LIBNAME",   "UNITS",     "ENDLIB",     "BGNSTR",     "STRNAME",   "ENDSTR",
    "BOUNDARY", "PATH",      "SREF",      "AREF",      "TEXT",       "LAYER",      "DATATYPE",  "WIDTH",
    "XY",       "ENDEL",     "SNAME",     "COLROW",    "TEXTNODE",   "NODE",       "TEXTTYPE",  "PRESENTATION",
    "SPACING",  "STRING",    "STRANS",    "MAG",       "ANGLE",      "UINTEGER",   "USTRING",   "REFLIBS",
    "FONTS",    "PATHTYPE",  "GENERATIONS", "ATTRTABLE", "STYPTABLE", "STRTYPE",   "ELFLAGS",   "ELKEY",
    "LINKTYPE", "LINKKEYS",  "NODETYPE",  "PROPATTR",  "PROPVALUE",  "BOX",        "BOXTYPE",   "PLEX",
    "BGNEXTN",  "ENDEXTN",   "TAPENUM",   "TAPECODE",  "STRCLASS",   "RESERVED",   "FORMAT",    "MASK",
    "ENDMASKS", "LIBDIRSIZE", "SRFNAME",  "LIBSECUR"};

struct Record
{
    int type = 0;
    int dataType = 0;
    size_t offset = 0;
    const unsigned char *data = nullptr;
    size_t size = 0; // bytes after the 4-byte header
};

int16_t int16At(const unsigned char *p)
{
    return static_cast<int16_t>(static_cast<uint16_t>((unsigned(p[0]) << 8) | p[1]));
}

// Layers and datatypes run to 65535 in some writers.
int uint16At(const unsigned char *p)
{
    return int((unsigned(p[0]) << 8) | p[1]);
}

int32_t int32At(const unsigned char *p)
{
    return static_cast<int32_t>((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]));
}

class Reader
{
public:
    Reader(const QByteArray &bytes)
        : begin(reinterpret_cast<const unsigned char *>(bytes.constData())), size(static_cast<size_t>(bytes.size()))
    {
    }

    bool next(Record *record)
    {
        if (size - pos < 4) {
            error = pos == size ? QStringLiteral("the file ends at byte %1 before ENDLIB").arg(pos)
                                : QStringLiteral("the file ends at byte %1 inside a record header").arg(pos);
            return false;
        }
        const unsigned char *p = begin + pos;
        const size_t length = (size_t(p[0]) << 8) | p[1];
        record->type = p[2];
        record->dataType = p[3];
        record->offset = pos;
        if (length < 4 || length % 2 != 0) {
            error = QStringLiteral("%1 record at byte %2: length %3 is not a valid record length")
                        .arg(GdsStream::recordName(record->type))
                        .arg(pos)
                        .arg(length);
            return false;
        }
        if (length > size - pos) {
            error = QStringLiteral("%1 record at byte %2: its length %3 runs past the end of the file (%4 bytes)")
                        .arg(GdsStream::recordName(record->type))
                        .arg(pos)
                        .arg(length)
                        .arg(size);
            return false;
        }
        record->data = p + 4;
        record->size = length - 4;
        pos += length;
        return true;
    }

    // Checks that a record holds `dataType` data of at least `minimum` bytes in whole
    // items of `item` bytes.
    bool expect(const Record &r, int dataType, size_t minimum, size_t item)
    {
        if (r.dataType != dataType) {
            fail(r, QStringLiteral("data type %1 where %2 was expected").arg(r.dataType).arg(dataType));
            return false;
        }
        if (r.size < minimum || (item > 1 && r.size % item != 0)) {
            fail(r, QStringLiteral("%1 bytes of data is not a valid size").arg(r.size));
            return false;
        }
        return true;
    }

    void fail(const Record &r, const QString &what)
    {
        error = QStringLiteral("%1 record at byte %2: %3").arg(GdsStream::recordName(r.type)).arg(r.offset).arg(what);
    }

    QString error;

private:
    const unsigned char *begin;
    size_t size;
    size_t pos = 0;
};

QByteArray ascii(const Record &r)
{
    QByteArray text(reinterpret_cast<const char *>(r.data), static_cast<int>(r.size));
    while (!text.isEmpty() && text.back() == '\0')
        text.chop(1);
    return text;
}

bool isElementStart(int type)
{
    return type == BOUNDARY || type == PATH || type == SREF || type == AREF || type == TEXT || type == NODE ||
           type == BOX;
}

// Reads one element's records up to its ENDEL. False with the reason in reader.error.
// `keep` is false for text and nodes, which are checked for framing only.
bool readElement(Reader &reader, const Record &start, GdsStream::Element *element, bool *keep)
{
    *keep = start.type != TEXT && start.type != NODE;
    if (!reader.expect(start, NoData, 0, 1))
        return false;
    switch (start.type) {
    case PATH:
        element->kind = GdsStream::Element::Path;
        break;
    case SREF:
        element->kind = GdsStream::Element::StructureRef;
        break;
    case AREF:
        element->kind = GdsStream::Element::ArrayRef;
        break;
    case BOX:
        element->kind = GdsStream::Element::Box;
        break;
    default:
        element->kind = GdsStream::Element::Boundary;
        break;
    }
    element->offset = start.offset;
    bool haveXy = false, haveName = false, haveColRow = false, haveLayer = false;
    Record r;
    for (;;) {
        if (!reader.next(&r))
            return false;
        if (r.type == ENDEL)
            break;
        if (isElementStart(r.type) || r.type == ENDSTR || r.type == BGNSTR || r.type == ENDLIB || r.type == HEADER) {
            reader.fail(r, QStringLiteral("comes before the ENDEL of the %1 at byte %2")
                               .arg(GdsStream::recordName(start.type))
                               .arg(start.offset));
            return false;
        }
        if (!*keep)
            continue;
        switch (r.type) {
        case LAYER:
            if (!reader.expect(r, Int16, 2, 2))
                return false;
            element->layer = uint16At(r.data);
            haveLayer = true;
            break;
        case DATATYPE:
        case BOXTYPE:
            if (!reader.expect(r, Int16, 2, 2))
                return false;
            element->datatype = uint16At(r.data);
            break;
        case PATHTYPE:
            if (!reader.expect(r, Int16, 2, 2))
                return false;
            element->pathType = Util::fromNumber(int16At(r.data), pathTypes).value_or(PathType::Flush);
            break;
        case WIDTH:
            if (!reader.expect(r, Int32, 4, 4))
                return false;
            element->width = int32At(r.data);
            break;
        case BGNEXTN:
        case ENDEXTN:
            if (!reader.expect(r, Int32, 4, 4))
                return false;
            (r.type == BGNEXTN ? element->beginExtension : element->endExtension) = int32At(r.data);
            break;
        case XY: {
            if (!reader.expect(r, Int32, 8, 8))
                return false;
            const size_t count = r.size / 4;
            element->xy.resize(count);
            for (size_t k = 0; k < count; ++k)
                element->xy[k] = int32At(r.data + 4 * k);
            haveXy = true;
            break;
        }
        case SNAME:
            if (!reader.expect(r, Ascii, 1, 1))
                return false;
            element->structureName = ascii(r);
            haveName = true;
            break;
        case COLROW: {
            if (!reader.expect(r, Int16, 4, 2))
                return false;
            element->columns = int16At(r.data);
            element->rows = int16At(r.data + 2);
            if (element->columns < 1 || element->rows < 1) {
                reader.fail(r, QStringLiteral("%1 columns and %2 rows").arg(element->columns).arg(element->rows));
                return false;
            }
            haveColRow = true;
            break;
        }
        case STRANS:
            // Some writers mark the flags as a 2-byte integer; the bits are the same.
            if (!reader.expect(r, r.dataType == Int16 ? Int16 : BitArray, 2, 2))
                return false;
            // Bit 0 (the most significant) reflects; the absolute magnification and angle
            // bits are read as relative, as nearly every writer sets them so.
            element->reflect = (r.data[0] & 0x80) != 0;
            break;
        case MAG:
        case ANGLE: {
            if (!reader.expect(r, Real8, 8, 8))
                return false;
            const double value = GdsStream::real8(r.data);
            if (!std::isfinite(value) || (r.type == MAG && !(value > 0))) {
                reader.fail(r, QStringLiteral("%1 is not a valid value").arg(value));
                return false;
            }
            (r.type == MAG ? element->magnification : element->angle) = value;
            break;
        }
        default:
            // Properties, ELFLAGS, PLEX and the like do not change the shape.
            break;
        }
    }
    if (!*keep)
        return true;
    const QString what = GdsStream::recordName(start.type);
    const auto missing = [&](const char *record) {
        reader.error = QStringLiteral("%1 at byte %2 has no %3 record").arg(what).arg(start.offset).arg(QLatin1String(record));
        return false;
    };
    if (!haveXy)
        return missing("XY");
    const bool reference = start.type == SREF || start.type == AREF;
    if (!reference && !haveLayer)
        return missing("LAYER");
    if (reference && !haveName)
        return missing("SNAME");
    if (start.type == AREF && !haveColRow)
        return missing("COLROW");
    const size_t points = element->xy.size() / 2;
    const size_t wanted = start.type == SREF ? 1 : start.type == AREF ? 3 : start.type == BOX ? 5 : 0;
    if (wanted != 0 && points != wanted) {
        reader.error = QStringLiteral("%1 at byte %2 has %3 points in XY where it needs %4")
                           .arg(what)
                           .arg(start.offset)
                           .arg(points)
                           .arg(wanted);
        return false;
    }
    return true;
}

} // namespace

double GdsStream::real8(const unsigned char *b)
{
    uint64_t mantissa = 0;
    for (int k = 1; k < 8; ++k)
        mantissa = (mantissa << 8) | b[k];
    const int exponent = (b[0] & 0x7f) - 64;
    const double value = std::ldexp(double(mantissa), 4 * exponent - 56);
    return (b[0] & 0x80) ? -value : value;
}

QString GdsStream::recordName(int type)
{
    if (type >= 0 && type < int(sizeof(names) / sizeof(names[0])))
        return QLatin1String(names[type]);
    return QStringLiteral("unknown (0x%1)").arg(type, 2, 16, QLatin1Char('0'));
}

bool GdsStream::parse(const QByteArray &bytes, QString *error)
{
    const auto failWith = [&](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (bytes.isEmpty())
        return failWith(QStringLiteral("the file is empty"));
    Reader reader(bytes);
    Record r;
    if (!reader.next(&r))
        return failWith(reader.error);
    if (r.type != HEADER)
        return failWith(QStringLiteral("it starts with %1 at byte 0, not HEADER").arg(recordName(r.type)));
    if (!reader.expect(r, Int16, 2, 2))
        return failWith(reader.error);
    std::vector<Structure> read;
    double unit = 0.0;
    bool haveUnits = false;
    for (;;) {
        if (!reader.next(&r))
            return failWith(reader.error);
        if (r.type == ENDLIB)
            break;
        if (r.type == UNITS) {
            if (!reader.expect(r, Real8, 16, 8))
                return failWith(reader.error);
            unit = real8(r.data + 8);
            if (!std::isfinite(unit) || !(unit > 0)) {
                reader.fail(r, QStringLiteral("the database unit %1 m is not a positive size").arg(unit));
                return failWith(reader.error);
            }
            haveUnits = true;
            continue;
        }
        if (r.type == HEADER || r.type == ENDSTR || r.type == STRNAME || isElementStart(r.type) || r.type == ENDEL) {
            reader.fail(r, QStringLiteral("outside a structure"));
            return failWith(reader.error);
        }
        if (r.type != BGNSTR)
            continue; // BGNLIB, LIBNAME, REFLIBS, FONTS and the like say nothing about shapes
        Structure structure;
        structure.offset = r.offset;
        bool named = false;
        for (;;) {
            if (!reader.next(&r))
                return failWith(reader.error);
            if (r.type == ENDSTR)
                break;
            if (r.type == STRNAME) {
                if (!reader.expect(r, Ascii, 1, 1))
                    return failWith(reader.error);
                structure.name = ascii(r);
                named = true;
                continue;
            }
            if (isElementStart(r.type)) {
                Element element;
                bool keep = false;
                if (!readElement(reader, r, &element, &keep))
                    return failWith(reader.error);
                if (keep)
                    structure.elements.push_back(std::move(element));
                continue;
            }
            if (r.type == BGNSTR || r.type == ENDLIB || r.type == HEADER || r.type == ENDEL) {
                reader.fail(r, QStringLiteral("comes before the ENDSTR of the structure at byte %1").arg(structure.offset));
                return failWith(reader.error);
            }
        }
        if (!named)
            return failWith(QStringLiteral("the structure at byte %1 has no STRNAME record").arg(structure.offset));
        read.push_back(std::move(structure));
    }
    if (!haveUnits)
        return failWith(QStringLiteral("it has no UNITS record"));
    unitMetres = unit;
    structs = std::move(read);
    return true;
}

} // namespace Operations
} // namespace Core
