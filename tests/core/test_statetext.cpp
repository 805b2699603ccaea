// The "State" text of a cell volume read straight from the document's bytes: every way
// of splitting the file into pieces gives the cells that the XML reader's own decoding
// of the text gives, and what the bytes path cannot take (references, comments, CDATA,
// non-ASCII, characters XML forbids) is still read, or refused, by the reader.
#include "Model/Automaton/totalvolume.h"
#include "Model/Persistence/documentsource.h"
#include "Model/Persistence/totalvolumearchiver.h"

#include <QBuffer>
#include <QByteArray>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using Model::Automaton::TotalVolume;
using Model::Persistence::DocumentSource;
using Model::Persistence::TotalVolumeArchiver;

namespace {

struct ReadResult
{
    bool ok = false;
    std::vector<uint32_t> cells;
    double positionX = 0;
};

// Reads the first "Object" of `document` and the rest of the file. `pieceSize` 0 reads
// through the XML reader alone; otherwise through a source reading pieces of that size.
ReadResult readDocument(const QByteArray &document, size_t pieceSize)
{
    QBuffer file;
    file.setData(document);
    file.open(QIODevice::ReadOnly);
    std::unique_ptr<DocumentSource> source;
    QXmlStreamReader reader;
    if (pieceSize != 0) {
        source = std::make_unique<DocumentSource>(file, pieceSize);
        source->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        reader.setDevice(source.get());
    } else {
        reader.setDevice(&file);
    }
    while (!reader.atEnd() && !(reader.isStartElement() && reader.name() == QLatin1String("Object")))
        reader.readNext();
    TotalVolumeArchiver archiver;
    archiver.setReader(&reader);
    const auto volume = std::dynamic_pointer_cast<TotalVolume>(archiver.read());
    while (!reader.atEnd())
        reader.readNext();
    ReadResult result;
    result.ok = volume && !reader.hasError();
    if (volume) {
        result.cells = volume->materialIds();
        result.positionX = volume->getPosition().x;
    }
    return result;
}

QByteArray document(const QByteArray &state, int cells, const QByteArray &declaration = "encoding=\"UTF-8\"")
{
    return "<?xml version=\"1.0\" " + declaration + "?><Document><Header version=\"1\"/><Object object-type=\"1\" "
           "size-x=\"1\" size-y=\"1\" size-z=\"" + QByteArray::number(cells) + "\"><State>" + state +
           "</State><Position pos-x=\"2.5\"/></Object></Document>";
}

// Piece sizes that put a piece boundary at every place of short texts.
const std::vector<size_t> pieceSizes = {0, 4, 5, 6, 7, 8, 11, 13, 64, 256 * 1024};

void expectCells(const QByteArray &bytes, const std::vector<uint32_t> &expected)
{
    for (const size_t piece : pieceSizes) {
        SCOPED_TRACE(piece);
        const ReadResult result = readDocument(bytes, piece);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.cells, expected);
        EXPECT_EQ(result.positionX, 2.5);
    }
}

} // namespace

TEST(StateText, NumbersAndSpacesAsWrittenAndAsTolerated)
{
    // The writer's own form, large ids included.
    expectCells(document("12 0 7 4294967295 1 ", 5), {12, 0, 7, 4294967295u, 1});
    // Runs of spaces split like one; the final space may be missing; a leading '+' and
    // tabs or line breaks around a number are accepted, inside one they are not.
    expectCells(document("  3   +4\t \t5 \r\n6\n 7 8\n9 ", 7), {3, 4, 5, 6, 7, 0, 0});
    // A part of whitespace alone is no number: it gives an empty cell.
    expectCells(document("1 \t 2", 3), {1, 0, 2});
}

TEST(StateText, WrongPartsAndWrongCounts)
{
    // Parts that are not numbers, ids beyond 32 bits (also far beyond 64) and signs give
    // empty cells; the neighbours are unharmed.
    expectCells(document("1 4294967296 99999999999999999999999999 -1 ++2 2x x2 7 ", 8),
                {1, 0, 0, 0, 0, 0, 0, 7});
    // Trailing garbage after the last number.
    expectCells(document("5 6 7junk", 3), {5, 6, 0});
    // Too few numbers: the rest stays empty; too many: the surplus is ignored.
    expectCells(document("5 6 ", 4), {5, 6, 0, 0});
    expectCells(document("5 6 7 8 9 10 11 ", 2), {5, 6});
    expectCells(document("", 2), {0, 0});
}

TEST(StateText, MarkupAndOtherCharactersAreLeftToTheReader)
{
    // A character reference, a comment and CDATA, also in the middle of a number.
    expectCells(document("1 &#50; 3&#52; <!-- note -->5<![CDATA[6 7]]>8 ", 5), {1, 2, 34, 56, 78});
    // Non-ASCII parts are not numbers.
    expectCells(document("1 \xc3\xa9 2 ", 3), {1, 0, 2});
    // An empty "State": text after it belongs to "Object", not to the cells.
    for (const size_t piece : pieceSizes) {
        SCOPED_TRACE(piece);
        const QByteArray bytes =
            "<?xml version=\"1.0\"?><Document><Object object-type=\"1\" size-x=\"1\" size-y=\"1\" "
            "size-z=\"2\"><State/>5 5 <Position pos-x=\"2.5\"/></Object></Document>";
        const ReadResult result = readDocument(bytes, piece);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.cells, (std::vector<uint32_t>{0, 0}));
    }
    // A character XML forbids is refused, wherever it falls.
    for (const size_t piece : pieceSizes) {
        SCOPED_TRACE(piece);
        EXPECT_FALSE(readDocument(document("1 2\x01 3 ", 3), piece).ok);
        EXPECT_FALSE(readDocument(document("1 2 3 ", 3).replace("</State>", "</Stat>"), piece).ok);
    }
}

TEST(StateText, OtherEncodingsAndByteOrderMarks)
{
    const std::vector<uint32_t> expected = {1, 20, 3};
    // A UTF-8 byte order mark, and a material name with characters of two, three and
    // four bytes before the cells.
    const QByteArray named = document("1 20 3 ", 3).replace(
        "<Object", "<Material name=\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"/><Object");
    expectCells("\xef\xbb\xbf" + named, expected);
    expectCells(named, expected);
    // Latin-1 with a non-ASCII name, and UTF-16 with its byte order mark.
    const QByteArray latin1 = document("1 20 3 ", 3, "encoding=\"ISO-8859-1\"")
                                  .replace("<Object", "<Material name=\"caf\xe9\"/><Object");
    expectCells(latin1, expected);
    const QString text = QString::fromUtf8(document("1 20 3 ", 3, "encoding=\"UTF-16\""));
    QByteArray utf16("\xff\xfe");
    for (const QChar c : text)
        utf16.append(static_cast<char>(c.unicode() & 0xff)).append(static_cast<char>(c.unicode() >> 8));
    expectCells(utf16, expected);
}

TEST(StateText, BytesAreTakenDirectlyOnlyWhereTheyMeanWhatTheyLookLike)
{
    struct Case
    {
        QByteArray bytes;
        bool direct;
    };
    const QByteArray utf8 = document("1 2 ", 2);
    const std::vector<Case> cases = {
        {utf8, true},
        {QByteArray(utf8).replace("<Object", "<Material name=\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"/><Object"), true},
        {"\xef\xbb\xbf" + utf8, true},
        {document("1 2 ", 2, "encoding=\"utf-8\""), true},
        {document("1 2 ", 2, ""), true},
        {document("1 2 ", 2, "encoding=\"ISO-8859-1\""), false},
        {QByteArray(utf8).replace("<State>1 2 </State>", "<State/>"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes.left(60).toStdString());
        QBuffer file;
        file.setData(c.bytes);
        file.open(QIODevice::ReadOnly);
        DocumentSource source(file, 16);
        source.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        QXmlStreamReader reader(&source);
        while (!reader.atEnd() && !(reader.isStartElement() && reader.name() == QLatin1String("State")))
            reader.readNext();
        ASSERT_TRUE(reader.isStartElement());
        EXPECT_EQ(source.atContentOf(reader), c.direct);
    }
}
