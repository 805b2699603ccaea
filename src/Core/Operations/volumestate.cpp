#include "Core/Operations/volumestate.h"

#include "Model/Automaton/fieldpainter.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using Model::Automaton::VoxelLock;

namespace {

constexpr size_t fieldSlots = TotalVolume::particleFieldSlots;
const char fieldTags[2] = {'n', 'p'};

const QString &fieldName(int f)
{
    return f == 0 ? Model::Automaton::FieldPainter::fieldNameN : Model::Automaton::FieldPainter::fieldNameP;
}

// Formats words into a large buffer and hands it to the device in pieces.
class Output
{
public:
    explicit Output(QIODevice &device) : device(device), buffer(capacity + 64) {}

    void text(const char *t)
    {
        const size_t n = std::strlen(t);
        if (used + n + 1 > buffer.size())
            flush();
        if (n + 1 > buffer.size())
            buffer.resize(n + 1);
        std::memcpy(buffer.data() + used, t, n);
        used += n;
    }
    void word(const char *t)
    {
        text(" ");
        text(t);
    }
    void number(int64_t v)
    {
        buffer[used++] = ' ';
        if (v < 0)
            buffer[used++] = '-';
        appendDigits(v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v));
    }
    // "value*count": one word for a value repeated `count` times.
    void repeated(int64_t v, size_t count)
    {
        number(v);
        char *out = buffer.data() + used;
        *out++ = '*';
        used = static_cast<size_t>(out - buffer.data());
        appendDigits(count);
    }
    bool finish()
    {
        flush();
        return ok;
    }

private:
    static constexpr size_t capacity = size_t(1) << 20;

    void appendDigits(uint64_t u)
    {
        char digits[20];
        int k = 0;
        do {
            digits[k++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u);
        while (k)
            buffer[used++] = digits[--k];
        if (used > capacity)
            flush();
    }

    void flush()
    {
        if (ok && used && device.write(buffer.data(), static_cast<qint64>(used)) != static_cast<qint64>(used))
            ok = false;
        used = 0;
    }

    QIODevice &device;
    std::vector<char> buffer;
    size_t used = 0;
    bool ok = true;
};

// Writes the values of [begin, end); three or more equal ones in a row as one word.
template <class Value>
void writeValues(Output &out, size_t begin, size_t end, const Value &value)
{
    size_t k = begin;
    while (k < end) {
        const int64_t v = value(k);
        size_t e = k + 1;
        while (e < end && value(e) == v)
            ++e;
        if (e - k >= 3) {
            out.repeated(v, e - k);
        } else {
            for (; k < e; ++k)
                out.number(v);
        }
        k = e;
    }
}

// Writes the maximal runs of indices whose values differ, the old values to `undo` and
// the new ones to `redo`. True when there was one.
template <class Before, class After>
bool writeRuns(size_t n, const Before &before, const After &after, Output &undo, Output &redo)
{
    bool any = false;
    size_t i = 0;
    while (i < n) {
        if (before(i) == after(i)) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < n && before(j) != after(j))
            ++j;
        undo.number(static_cast<int64_t>(i));
        undo.number(static_cast<int64_t>(j - i));
        redo.number(static_cast<int64_t>(i));
        redo.number(static_cast<int64_t>(j - i));
        writeValues(undo, i, j, before);
        writeValues(redo, i, j, after);
        any = true;
        i = j;
    }
    return any;
}

void writeMask(Output &out, char tag, const std::vector<bool> &bits, int width, int height)
{
    const char t[2] = {tag, 0};
    out.word(t);
    out.number(width);
    out.number(height);
    out.number(static_cast<int64_t>(bits.size()));
    if (bits.empty()) {
        out.word("-");
        return;
    }
    static const char hex[] = "0123456789abcdef";
    std::string digits;
    digits.reserve(bits.size() / 4 + 1);
    for (size_t i = 0; i < bits.size(); i += 4) {
        int v = 0;
        for (size_t b = 0; b < 4; ++b)
            v = (v << 1) | ((i + b < bits.size() && bits[i + b]) ? 1 : 0);
        digits.push_back(hex[v]);
    }
    out.word(digits.c_str());
}

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A decimal integer, optionally negative; false on anything else.
bool parseNumber(const char *b, const char *e, int64_t *value)
{
    bool negative = false;
    if (b < e && *b == '-') {
        negative = true;
        ++b;
    }
    if (b == e)
        return false;
    int64_t v = 0;
    for (; b < e; ++b) {
        if (*b < '0' || *b > '9' || v > (int64_t(1) << 48))
            return false;
        v = v * 10 + (*b - '0');
    }
    *value = negative ? -v : v;
    return true;
}

// Words of one record.
class Input
{
public:
    Input(const char *begin, const char *end) : p(begin), end(end) {}

    bool next(const char **b, const char **e)
    {
        while (p < end && isSpace(*p))
            ++p;
        if (p >= end)
            return false;
        *b = p;
        while (p < end && !isSpace(*p))
            ++p;
        *e = p;
        return true;
    }
    const char *position() const { return p; }
    // True when the next word starts like a number.
    bool numberFollows()
    {
        while (p < end && isSpace(*p))
            ++p;
        return p < end && ((*p >= '0' && *p <= '9') || *p == '-');
    }
    bool number(int64_t *value)
    {
        const char *b;
        const char *e;
        return next(&b, &e) && parseNumber(b, e, value);
    }
    // A value, or "value*count" for a repeated one (*count is 1 otherwise).
    bool value(int64_t *v, int64_t *count)
    {
        const char *b;
        const char *e;
        if (!next(&b, &e))
            return false;
        const char *star = static_cast<const char *>(std::memchr(b, '*', static_cast<size_t>(e - b)));
        *count = 1;
        if (!star)
            return parseNumber(b, e, v);
        return parseNumber(b, star, v) && parseNumber(star + 1, e, count);
    }

private:
    const char *p;
    const char *end;
};

// Reads runs "start length values" while numbers follow, handing each index and value
// to `set`, which refuses values out of its range. False on a malformed run.
template <class Set>
bool readRuns(Input &in, size_t limit, int64_t *applied, const Set &set)
{
    while (in.numberFollows()) {
        int64_t start = 0;
        int64_t length = 0;
        if (!in.number(&start) || !in.number(&length) || start < 0 || length < 0 ||
            static_cast<uint64_t>(start) + static_cast<uint64_t>(length) > limit)
            return false;
        for (int64_t k = 0; k < length;) {
            int64_t v = 0;
            int64_t count = 1;
            if (!in.value(&v, &count) || count < 1 || count > length - k)
                return false;
            for (const int64_t stop = k + count; k < stop; ++k)
                if (!set(static_cast<size_t>(start + k), v))
                    return false;
            *applied += count;
        }
    }
    return true;
}

bool readMask(Input &in, TotalVolume &volume, bool topMask)
{
    int64_t width = 0;
    int64_t height = 0;
    int64_t count = 0;
    const char *b;
    const char *e;
    if (!in.number(&width) || !in.number(&height) || !in.number(&count) || width < 0 || height < 0 ||
        count < 0 || count > (int64_t(1) << 34) || !in.next(&b, &e))
        return false;
    std::vector<bool> bits(static_cast<size_t>(count));
    if (count != 0) {
        if (e - b != (count + 3) / 4)
            return false;
        for (int64_t i = 0; i < count; ++i) {
            const char c = b[i / 4];
            const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (v < 0)
                return false;
            bits[static_cast<size_t>(i)] = (v >> (3 - i % 4)) & 1;
        }
    }
    if (topMask)
        volume.setTopMask(bits, static_cast<int>(width), static_cast<int>(height));
    else
        volume.setBottomMask(bits, static_cast<int>(width), static_cast<int>(height));
    return true;
}

} // namespace

void VolumeState::takeMasks(const TotalVolume &volume)
{
    top.bits = volume.getTopMask();
    volume.getTopMaskSize(&top.width, &top.height);
    bottom.bits = volume.getBottomMask();
    volume.getBottomMaskSize(&bottom.width, &bottom.height);
    masksTaken = true;
}

void VolumeState::take(TotalVolume &volume)
{
    if (!masksTaken)
        takeMasks(volume);
    const size_t n = volume.getCellCount();
    VoxelLock cells(volume);
    ids.resize(n);
    cuts.resize(n);
    for (size_t i = 0; i < n; ++i) {
        ids[i] = cells[i].getMaterialId();
        cuts[i] = static_cast<uint8_t>(cells[i].getCutCount());
    }
    for (int f = 0; f < 2; ++f) {
        const int32_t *counts = volume.particleField(fieldName(f));
        fields[f].present = counts != nullptr;
        if (counts)
            fields[f].counts.assign(counts, counts + n * fieldSlots);
        else
            fields[f].counts.clear();
    }
    cellsTaken = true;
}

void VolumeState::putBack(TotalVolume &volume) const
{
    if (!cellsTaken)
        return;
    {
        VoxelLock cells(volume);
        for (size_t i = 0; i < ids.size(); ++i) {
            cells[i].setMaterialId(ids[i]);
            cells[i].setCutCount(cuts[i]);
        }
        for (int f = 0; f < 2; ++f) {
            if (!fields[f].present) {
                volume.removeParticleField(fieldName(f));
                continue;
            }
            int32_t *counts = volume.particleField(fieldName(f));
            if (!counts)
                counts = volume.createParticleField(fieldName(f));
            std::copy(fields[f].counts.begin(), fields[f].counts.end(), counts);
        }
    }
    volume.setTopMask(top.bits, top.width, top.height);
    volume.setBottomMask(bottom.bits, bottom.width, bottom.height);
}

void VolumeState::clear()
{
    std::vector<uint32_t>().swap(ids);
    std::vector<uint8_t>().swap(cuts);
    for (Field &f : fields)
        f = Field();
    top = Mask();
    bottom = Mask();
    masksTaken = false;
    cellsTaken = false;
}

bool VolumeState::writeChanges(TotalVolume &volume, const QByteArray &head, QIODevice &undoDevice,
                               QIODevice &redoDevice, bool *changed) const
{
    Output undo(undoDevice);
    Output redo(redoDevice);
    undo.text(head.constData());
    redo.text(head.constData());
    bool any = false;
    {
        VoxelLock cells(volume);
        const size_t n = std::min(ids.size(), volume.getCellCount());
        undo.word("m");
        redo.word("m");
        any |= writeRuns(n, [&](size_t i) { return int64_t(ids[i]); },
                         [&](size_t i) { return int64_t(cells[i].getMaterialId()); }, undo, redo);
        undo.word("k");
        redo.word("k");
        any |= writeRuns(n, [&](size_t i) { return int64_t(cuts[i]); },
                         [&](size_t i) { return int64_t(cells[i].getCutCount()); }, undo, redo);
        for (int f = 0; f < 2; ++f) {
            const int32_t *now = volume.particleField(fieldName(f));
            const Field &was = fields[f];
            if (!now && !was.present)
                continue;
            const char tag[2] = {fieldTags[f], 0};
            undo.word(tag);
            redo.word(tag);
            undo.number(was.present ? 1 : 0);
            redo.number(now ? 1 : 0);
            any |= (now != nullptr) != was.present;
            // A field that is made anew starts at zero, so an absent one counts as zeros.
            const int32_t *old = was.present ? was.counts.data() : nullptr;
            any |= writeRuns(n * fieldSlots, [&](size_t i) { return int64_t(old ? old[i] : 0); },
                             [&](size_t i) { return int64_t(now ? now[i] : 0); }, undo, redo);
        }
    }
    if (masksTaken) {
        Mask nowTop;
        nowTop.bits = volume.getTopMask();
        volume.getTopMaskSize(&nowTop.width, &nowTop.height);
        Mask nowBottom;
        nowBottom.bits = volume.getBottomMask();
        volume.getBottomMaskSize(&nowBottom.width, &nowBottom.height);
        if (!(nowTop == top)) {
            writeMask(undo, 't', top.bits, top.width, top.height);
            writeMask(redo, 't', nowTop.bits, nowTop.width, nowTop.height);
            any = true;
        }
        if (!(nowBottom == bottom)) {
            writeMask(undo, 'b', bottom.bits, bottom.width, bottom.height);
            writeMask(redo, 'b', nowBottom.bits, nowBottom.width, nowBottom.height);
            any = true;
        }
    }
    undo.text("\n");
    redo.text("\n");
    if (changed)
        *changed = any;
    const bool undoWritten = undo.finish();
    return redo.finish() && undoWritten;
}

bool VolumeState::headedBy(const char *begin, const char *end, const QByteArray &key, int32_t instance,
                           const char **sections)
{
    Input in(begin, end);
    const char *b;
    const char *e;
    int64_t number = 0;
    if (!in.next(&b, &e) || e - b != key.size() || std::memcmp(b, key.constData(), key.size()) != 0 ||
        !in.number(&number) || number != instance)
        return false;
    *sections = in.position();
    return true;
}

int64_t VolumeState::apply(const char *begin, const char *end, TotalVolume &volume)
{
    Input in(begin, end);
    const size_t n = volume.getCellCount();
    int64_t applied = 0;
    VoxelLock cells(volume);
    if (in.numberFollows()) {
        // Every cell's id in index order; a short record fills what it can.
        int64_t id = 0;
        while (static_cast<size_t>(applied) < n && in.number(&id) && id >= 0 && id <= 0xFFFFFFFFll)
            cells[static_cast<size_t>(applied++)].setMaterialId(static_cast<uint32_t>(id));
        return applied;
    }
    const char *b;
    const char *e;
    while (in.next(&b, &e)) {
        if (e - b != 1)
            return -1;
        bool ok = false;
        switch (*b) {
        case 'm':
            ok = readRuns(in, n, &applied, [&](size_t i, int64_t v) {
                if (v < 0 || v > 0xFFFFFFFFll)
                    return false;
                cells[i].setMaterialId(static_cast<uint32_t>(v));
                return true;
            });
            break;
        case 'k':
            ok = readRuns(in, n, &applied, [&](size_t i, int64_t v) {
                if (v < 0 || v > 255)
                    return false;
                cells[i].setCutCount(static_cast<uint8_t>(v));
                return true;
            });
            break;
        case 'n':
        case 'p': {
            const QString &name = fieldName(*b == 'n' ? 0 : 1);
            int64_t present = 0;
            if (!in.number(&present) || (present != 0 && present != 1))
                return -1;
            if (!present) {
                // The runs of a field that is gone only tell what the other record changed.
                volume.removeParticleField(name);
                ok = readRuns(in, n * fieldSlots, &applied, [](size_t, int64_t) { return true; });
                break;
            }
            int32_t *counts = volume.particleField(name);
            if (!counts)
                counts = volume.createParticleField(name);
            ok = readRuns(in, n * fieldSlots, &applied, [&](size_t i, int64_t v) {
                if (v < INT32_MIN || v > INT32_MAX)
                    return false;
                counts[i] = static_cast<int32_t>(v);
                return true;
            });
            break;
        }
        case 't':
        case 'b':
            ok = readMask(in, volume, *b == 't');
            break;
        default:
            break;
        }
        if (!ok)
            return -1;
    }
    return applied;
}

} // namespace Operations
} // namespace Core
