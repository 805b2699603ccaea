#include "Model/Persistence/totalvolumearchiver.h"

#include "Model/Automaton/fieldpainter.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"
#include "Model/Persistence/documentsource.h"
#include "Model/Persistence/volumelimits.h"
#include "Util/enumnumbers.h"

#include <QIODevice>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <new>
#include <numeric>
#include <vector>

namespace Model {
namespace Persistence {

using Automaton::FieldPainter;
using Automaton::TotalVolume;
using Automaton::Voxel;
using Automaton::VoxelLock;

namespace {

const QString objectTag = QStringLiteral("Object");
const QString stateTag = QStringLiteral("State");
const QString positionTag = QStringLiteral("Position");
const QString particleCountsTag = QStringLiteral("ParticleCounts");

// The particle-count fields a document may hold, in the order they are written.
QStringList particleFieldNames() { return {FieldPainter::fieldNameN, FieldPainter::fieldNameP}; }

QString gText(double value) { return QString::number(value, 'g', 6); }

// Formats the text of "State" and "ParticleCounts" (unsigned decimal numbers, each
// followed by one space) into a fixed byte buffer and hands it to the writer's device in
// large pieces. The writer is used only to close the start tag before and to write the
// end tag after, so its own output stays in order with ours.
class NumberWriter
{
public:
    explicit NumberWriter(QXmlStreamWriter &writer) : writer(writer), device(writer.device())
    {
        // Closes the start tag with ">" so that the digits can follow it on the device.
        writer.writeCharacters(QString());
    }

    // Writes number(items[i]) for i in [0, count); false as soon as the device refuses data.
    template<typename Item, typename Number>
    bool write(const Item *items, size_t count, Number number)
    {
        size_t i = 0;
        while (i < count) {
            // Each number takes at most 10 digits and a space.
            const size_t room = (sizeof(buffer) - used) / 11;
            const size_t end = std::min(count, i + room);
            char *out = buffer + used;
            for (; i < end; ++i) {
                uint32_t value = number(items[i]);
                if (value < 10) {
                    *out++ = static_cast<char>('0' + value);
                } else {
                    char digits[10];
                    int n = 0;
                    do {
                        digits[n++] = static_cast<char>('0' + value % 10);
                        value /= 10;
                    } while (value != 0);
                    while (n > 0)
                        *out++ = digits[--n];
                }
                *out++ = ' ';
            }
            used = static_cast<size_t>(out - buffer);
            if (!flush())
                return false;
        }
        return true;
    }

private:
    bool flush()
    {
        if (used == 0)
            return true;
        const size_t n = used;
        used = 0;
        if (device)
            return device->write(buffer, static_cast<qint64>(n)) == static_cast<qint64>(n);
        // A writer on a string: the text goes through the writer (tests, small output).
        writer.writeCharacters(QString::fromLatin1(buffer, static_cast<int>(n)));
        return true;
    }

    QXmlStreamWriter &writer;
    QIODevice *device;
    size_t used = 0;
    char buffer[1 << 16];
};

// Document id -> catalogue id for every cell. A flat table replaces the map look-up
// when the map's ids are small (the usual case), so the cell loop does no searching.
class IdTranslator
{
public:
    explicit IdTranslator(const Materials::MaterialIdMap *map) : map(map)
    {
        if (!map)
            return;
        bool identity = true;
        for (const auto &entry : *map)
            identity = identity && entry.first == entry.second;
        if (identity) {
            this->map = nullptr;
            return;
        }
        const uint32_t largest = map->rbegin()->first;
        if (largest < tableLimit) {
            table.resize(static_cast<size_t>(largest) + 1);
            std::iota(table.begin(), table.end(), 0u);
            for (const auto &entry : *map)
                table[entry.first] = entry.second;
        }
    }

    uint32_t operator()(uint32_t id) const
    {
        if (!map)
            return id;
        if (!table.empty())
            return id < table.size() ? table[id] : id;
        return Materials::MaterialReconciler::translate(*map, id);
    }

private:
    static constexpr uint32_t tableLimit = 1u << 20;
    const Materials::MaterialIdMap *map;
    std::vector<uint32_t> table;
};

// Parses the "State" text as it arrives, piece by piece: the text is split at single
// spaces (runs of spaces give no empty entries), each part is an unsigned decimal
// number (surrounding tabs or line breaks and a leading '+' allowed); a part that is
// not one, or exceeds 32 bits, gives 0. Parts beyond the cell count are ignored.
class StateParser
{
public:
    StateParser(Voxel *cells, size_t count, const IdTranslator &translate)
        : cells(cells), count(count), translate(translate)
    {
    }

    // `Char` is QChar's ushort for text the reader decoded, unsigned char for bytes
    // taken straight from the file.
    template<typename Char>
    void feed(const Char *p, size_t length)
    {
        const Char *const end = p + length;
        while (p != end) {
            const unsigned c = *p++;
            if (c == ' ') {
                if (inPart)
                    endPart();
                continue;
            }
            inPart = true;
            const unsigned digit = c - '0';
            if (digit < 10) {
                if (phase <= Digits) {
                    value = value * 10 + digit;
                    phase = value > std::numeric_limits<uint32_t>::max() ? Bad : Digits;
                } else {
                    phase = Bad;
                }
            } else if (c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
                if (phase == Digits)
                    phase = Trailing;
                else if (phase == Sign)
                    phase = Bad;
            } else if (c == '+' && phase == Leading) {
                phase = Sign;
            } else {
                phase = Bad;
            }
        }
    }

    void finish()
    {
        if (inPart)
            endPart();
    }

private:
    // Ordered so that "phase <= Digits" means a digit may still follow.
    enum Phase : uint8_t { Leading, Sign, Digits, Trailing, Bad };

    void endPart()
    {
        if (index < count) {
            const bool parsed = phase == Digits || phase == Trailing;
            cells[index].setMaterialId(translate(parsed ? static_cast<uint32_t>(value) : 0u));
        }
        ++index;
        value = 0;
        phase = Leading;
        inPart = false;
    }

    Voxel *cells;
    size_t count;
    const IdTranslator &translate;
    size_t index = 0;
    uint64_t value = 0;
    Phase phase = Leading;
    bool inPart = false;
};

// Parses the text of "ParticleCounts" as it arrives, piece by piece, into a field of
// `expected` counts. Unlike "State", which older documents may hold in odd forms, the
// text must be exactly the counts: decimal numbers from 0 to 2147483647 separated by
// white space, as many as the field holds. The first fault ends the parse.
class CountParser
{
public:
    enum class Problem { None, NotACount, TooFew, TooMany };

    CountParser(int32_t *counts, size_t expected) : counts(counts), expected(expected) {}

    template<typename Char>
    void feed(const Char *p, size_t length)
    {
        if (problem != Problem::None)
            return;
        const Char *const end = p + length;
        while (p != end) {
            const unsigned c = *p++;
            if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
                if (partLength != 0 && !endPart())
                    return;
                continue;
            }
            if (partLength < kept)
                part[partLength] = static_cast<char16_t>(c);
            ++partLength;
            const unsigned digit = c - '0';
            if (digit < 10 && !bad) {
                value = value * 10 + digit;
                bad = value > uint64_t(std::numeric_limits<int32_t>::max());
            } else {
                bad = true;
            }
        }
    }

    // True when the text held exactly the expected counts.
    bool finish()
    {
        if (problem == Problem::None && partLength != 0)
            endPart();
        if (problem == Problem::None && index < expected)
            problem = Problem::TooFew;
        return problem == Problem::None;
    }

    // Why finish() failed, for the field `name`.
    QString reason(const QString &name) const
    {
        switch (problem) {
        case Problem::NotACount: {
            QString text = QString::fromUtf16(part, static_cast<int>(std::min(partLength, kept)));
            if (partLength > kept)
                text += QStringLiteral("...");
            return QStringLiteral("The particle counts \"%1\" of the cell volume hold \"%2\" as number %3, "
                                  "which is not a count from 0 to 2147483647.")
                .arg(name, text)
                .arg(index + 1);
        }
        case Problem::TooFew:
            return QStringLiteral("The particle counts \"%1\" of the cell volume hold %2 numbers, but its "
                                  "cells need %3 (%4 per cell).")
                .arg(name)
                .arg(index)
                .arg(expected)
                .arg(TotalVolume::particleFieldSlots);
        case Problem::TooMany:
            return QStringLiteral("The particle counts \"%1\" of the cell volume hold more than the %2 numbers "
                                  "its cells need (%3 per cell).")
                .arg(name)
                .arg(expected)
                .arg(TotalVolume::particleFieldSlots);
        case Problem::None:
            break;
        }
        return QString();
    }

private:
    bool endPart()
    {
        if (bad)
            problem = Problem::NotACount;
        else if (index == expected)
            problem = Problem::TooMany;
        else
            counts[index++] = static_cast<int32_t>(value);
        value = 0;
        bad = false;
        if (problem != Problem::None)
            return false;
        partLength = 0;
        return true;
    }

    // The start of the part being parsed, for the message when it is not a count.
    static constexpr size_t kept = 24;

    int32_t *counts;
    size_t expected;
    size_t index = 0;
    uint64_t value = 0;
    bool bad = false;
    char16_t part[kept] = {};
    size_t partLength = 0;
    Problem problem = Problem::None;
};

// Gives the text of the element the reader stands on to `parser`, up to the element's
// end. Elements inside it are passed over; false when there were any.
template<typename Parser>
bool feedText(QXmlStreamReader &reader, Parser &parser)
{
    // The plain bytes of the text go to the parser straight from the file; the reader
    // gets the rest: the end tag, and anything it must check or decode (references,
    // comments, non-ASCII), which reaches the parser below.
    auto *const source = dynamic_cast<DocumentSource *>(reader.device());
    if (source && source->atContentOf(reader)) {
        size_t length = 0;
        while (const char *bytes = source->plainText(&length)) {
            if (length == 0)
                break;
            parser.feed(reinterpret_cast<const unsigned char *>(bytes), length);
            source->consume(length);
        }
    }
    bool onlyText = true;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::Characters) {
            const QStringRef text = reader.text();
            parser.feed(reinterpret_cast<const ushort *>(text.unicode()), static_cast<size_t>(text.size()));
        } else if (token == QXmlStreamReader::EndElement) {
            break;
        } else if (token == QXmlStreamReader::StartElement) {
            onlyText = false;
            reader.skipCurrentElement();
        }
    }
    return onlyText;
}

// Reads a "ParticleCounts" element into a new field of `volume`; `seen` lists the fields
// read before. On failure raises the reader's error and returns false.
bool readParticleCounts(QXmlStreamReader &reader, TotalVolume &volume, QStringList *seen)
{
    const QString name = reader.attributes().value(QLatin1String("name")).toString();
    if (!particleFieldNames().contains(name)) {
        reader.raiseError(QStringLiteral("The cell volume holds particle counts of an unknown kind, \"%1\"; "
                                         "the kinds are \"%2\".")
                              .arg(name, particleFieldNames().join(QStringLiteral("\" and \""))));
        return false;
    }
    if (seen->contains(name)) {
        reader.raiseError(QStringLiteral("The cell volume holds the particle counts \"%1\" twice.").arg(name));
        return false;
    }
    seen->append(name);

    // Like the cells, the counts are checked against the memory that can be spared now
    // before they are allocated.
    QString reason;
    if (!VolumeLimits::particleFieldFits(volume.getCellCount(), &reason)) {
        reader.raiseError(reason);
        return false;
    }
    const VoxelLock held(volume);
    int32_t *counts = nullptr;
    try {
        counts = volume.createParticleField(name);
    } catch (const std::bad_alloc &) {
        reader.raiseError(QStringLiteral("There is not enough memory for the particle counts \"%1\" of a volume "
                                         "of %2 cells.")
                              .arg(name)
                              .arg(volume.getCellCount()));
        return false;
    }
    CountParser parser(counts, volume.getCellCount() * TotalVolume::particleFieldSlots);
    const bool onlyText = feedText(reader, parser);
    if (reader.hasError())
        return false;
    if (!onlyText) {
        reader.raiseError(QStringLiteral("The particle counts \"%1\" of the cell volume hold an element; "
                                         "they hold numbers only.")
                              .arg(name));
        return false;
    }
    if (!parser.finish()) {
        reader.raiseError(parser.reason(name));
        return false;
    }
    return true;
}

// Attribute readers: an absent attribute gives the fallback; one that is present but
// not a number fails.
bool unsignedAttribute(const QXmlStreamAttributes &attributes, const QString &name,
                       uint32_t fallback, uint32_t *value)
{
    if (!attributes.hasAttribute(name)) {
        *value = fallback;
        return true;
    }
    bool ok = false;
    const uint parsed = attributes.value(name).trimmed().toUInt(&ok);
    *value = static_cast<uint32_t>(parsed);
    return ok;
}

bool floatAttribute(const QXmlStreamAttributes &attributes, const QString &name, float fallback,
                    float *value)
{
    if (!attributes.hasAttribute(name)) {
        *value = fallback;
        return true;
    }
    bool ok = false;
    *value = attributes.value(name).trimmed().toFloat(&ok);
    return ok && std::isfinite(*value);
}

} // namespace

bool TotalVolumeArchiver::write(const ObjectPtr &object)
{
    const auto volume = std::dynamic_pointer_cast<TotalVolume>(object);
    if (!volume || !writer)
        return true;

    writer->writeStartElement(objectTag);
    writer->writeAttribute(QStringLiteral("object-type"), QString::number(Util::toNumber(ObjectKind::TotalVolume)));
    writer->writeAttribute(QStringLiteral("size-x"), QString::number(volume->getSizeX()));
    writer->writeAttribute(QStringLiteral("size-y"), QString::number(volume->getSizeY()));
    writer->writeAttribute(QStringLiteral("size-z"), QString::number(volume->getSizeZ()));
    writer->writeAttribute(QStringLiteral("cellsize-x"), gText(volume->getCellSizeX()));
    writer->writeAttribute(QStringLiteral("cellsize-y"), gText(volume->getCellSizeY()));
    writer->writeAttribute(QStringLiteral("cellsize-z"), gText(volume->getCellSizeZ()));

    writer->writeStartElement(stateTag);
    bool written = false;
    {
        const VoxelLock held(*volume);
        NumberWriter state(*writer);
        written = state.write(held.voxels(), volume->getCellCount(),
                              [](const Voxel &cell) { return cell.getMaterialId(); });
    }
    writer->writeEndElement();

    const Util::Vector3D position = volume->getPosition();
    writer->writeEmptyElement(positionTag);
    writer->writeAttribute(QStringLiteral("pos-x"), gText(position.x));
    writer->writeAttribute(QStringLiteral("pos-y"), gText(position.y));
    writer->writeAttribute(QStringLiteral("pos-z"), gText(position.z));

    // The particle-count fields after the position, so that readers that know only
    // "State" and "Position" find them where they always were.
    for (const QString &name : particleFieldNames()) {
        if (!written)
            break;
        const VoxelLock held(*volume);
        const int32_t *counts = volume->particleField(name);
        if (!counts)
            continue;
        writer->writeStartElement(particleCountsTag);
        writer->writeAttribute(QStringLiteral("name"), name);
        NumberWriter numbers(*writer);
        // Counts are never negative; one that were would make a document the reader
        // refuses, so it is stored as 0.
        written = numbers.write(counts, volume->getCellCount() * TotalVolume::particleFieldSlots,
                                [](int32_t count) { return static_cast<uint32_t>(std::max(count, 0)); });
        writer->writeEndElement();
    }
    writer->writeEndElement();
    return written;
}

ObjectPtr TotalVolumeArchiver::read()
{
    if (!reader || !reader->isStartElement())
        return nullptr;

    const QXmlStreamAttributes attributes = reader->attributes();
    uint32_t size[3];
    float cellSize[3];
    const char *const sizeNames[3] = {"size-x", "size-y", "size-z"};
    const char *const cellSizeNames[3] = {"cellsize-x", "cellsize-y", "cellsize-z"};
    for (int axis = 0; axis < 3; ++axis) {
        if (!unsignedAttribute(attributes, QLatin1String(sizeNames[axis]), 0, &size[axis])) {
            reader->raiseError(QStringLiteral("The cell volume's \"%1\" is not a cell count.")
                                   .arg(QLatin1String(sizeNames[axis])));
            return nullptr;
        }
        // An absent size reads as 0 too: a volume needs a cell along every axis.
        if (size[axis] == 0) {
            reader->raiseError(QStringLiteral("The cell volume's \"%1\" is 0: a volume needs at least one cell "
                                              "along each axis.")
                                   .arg(QLatin1String(sizeNames[axis])));
            return nullptr;
        }
        if (!floatAttribute(attributes, QLatin1String(cellSizeNames[axis]), 1.0f, &cellSize[axis])) {
            reader->raiseError(QStringLiteral("The cell volume's \"%1\" is not a number.")
                                   .arg(QLatin1String(cellSizeNames[axis])));
            return nullptr;
        }
    }

    // Sizes come from the file: check them before anything is allocated.
    QString reason;
    if (!VolumeLimits::fits(size[0], size[1], size[2], &reason)) {
        reader->raiseError(reason);
        return nullptr;
    }

    std::shared_ptr<TotalVolume> volume;
    try {
        volume = std::make_shared<TotalVolume>(size[0], size[1], size[2], cellSize[0], cellSize[1],
                                               cellSize[2], Util::Vector3D());
    } catch (const std::bad_alloc &) {
        reader->raiseError(QStringLiteral("There is not enough memory for a volume of %1 x %2 x %3 cells.")
                               .arg(size[0])
                               .arg(size[1])
                               .arg(size[2]));
        return nullptr;
    }

    const IdTranslator translate(idMap);
    bool stateSeen = false;
    bool positionSeen = false;
    QStringList fieldsSeen;
    Util::Vector3D position;
    while (!reader->atEnd()) {
        reader->readNext();
        if (reader->isEndElement())
            break; // the end of "Object": every child was read to its end
        if (!reader->isStartElement())
            continue;
        if (!stateSeen && reader->name() == stateTag) {
            stateSeen = true;
            const VoxelLock held(*volume);
            StateParser parser(held.voxels(), volume->getCellCount(), translate);
            feedText(*reader, parser);
            parser.finish();
        } else if (!positionSeen && reader->name() == positionTag) {
            positionSeen = true;
            const QXmlStreamAttributes p = reader->attributes();
            float x = 0.0f, y = 0.0f, z = 0.0f;
            if (!floatAttribute(p, QStringLiteral("pos-x"), 0.0f, &x) ||
                !floatAttribute(p, QStringLiteral("pos-y"), 0.0f, &y) ||
                !floatAttribute(p, QStringLiteral("pos-z"), 0.0f, &z)) {
                reader->raiseError(QStringLiteral("The cell volume's position is not a number."));
                return nullptr;
            }
            position = Util::Vector3D(x, y, z);
            reader->skipCurrentElement();
        } else if (reader->name() == particleCountsTag) {
            if (!readParticleCounts(*reader, *volume, &fieldsSeen))
                return nullptr;
        } else {
            reader->skipCurrentElement();
        }
    }
    if (reader->hasError())
        return nullptr;

    volume->move(position);
    try {
        volume->getPainter()->regenerate();
    } catch (const std::exception &e) {
        reader->raiseError(QStringLiteral("The cell volume cannot be shown: %1").arg(QString::fromLocal8Bit(e.what())));
        return nullptr;
    }
    return volume;
}

} // namespace Persistence
} // namespace Model
