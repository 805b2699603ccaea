#pragma once

#include <QByteArray>
#include <QIODevice>
#include <cstddef>
#include <vector>

class QXmlStreamReader;

namespace Model {
namespace Persistence {

// The bytes of a document file as QXmlStreamReader reads them, handed over one piece of
// markup at a time: each read ends at the next '>'. The reader therefore never holds
// bytes beyond the tag it has just parsed, and while it stands on a start element the
// element's text can be taken straight from the file's bytes instead. "State" holds a
// number for every cell; the reader would decode all of it into one string of twice the
// text's size before handing out the first number.
class DocumentSource : public QIODevice
{
public:
    // `file` must be open for reading and outlive this object. `bufferSize` is the size of
    // the pieces read from the file (small sizes serve tests of piece boundaries).
    explicit DocumentSource(QIODevice &file, size_t bufferSize = size_t(256) << 10);

    bool isSequential() const override { return true; }

    // True when `reader` (reading from this source) has parsed exactly the bytes it was
    // given and the document is UTF-8 (or ASCII), so that the next bytes are the content
    // of the element it stands on and plain bytes mean the characters they look like.
    bool atContentOf(const QXmlStreamReader &reader) const;

    // The run of plain text bytes that follows, from the file's next piece if needed:
    // digits, spaces, tabs, line breaks and other printable ASCII, except the '<', '&'
    // and ']' that may start markup. Anything else (and the end of the file) ends the run
    // and is left to the reader, which checks and decodes it. Empty when the next byte is
    // not plain. The bytes stay valid until consume() or the next read.
    const char *plainText(size_t *length);
    void consume(size_t length);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    bool fill();

    QIODevice &file;
    std::vector<char> buffer;
    size_t begin = 0;
    size_t end = 0;
    qint64 deliveredChars = 0; // UTF-16 units the bytes given to the reader decode to
    char lastTwo[2] = {0, 0};  // the last bytes given to the reader
    bool started = false;
    bool declarationRead = false;
    QByteArray declaration; // the bytes up to the first '>' while they are read
    bool asciiCompatible = true; // UTF-8 or ASCII: plain bytes are the characters they look like
};

} // namespace Persistence
} // namespace Model
