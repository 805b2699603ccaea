#pragma once

#include <QString>
#include <QtGlobal>

class QIODevice;

namespace Util {

// Our files are XML in UTF-8, where a NUL byte can only mean damage. The toolkit's XML
// reader does not always say so: reading from a file it may drop the rest of a name after
// a NUL and carry on (an attribute "den\0sity" reads as "den"), so a damaged file would
// load with values silently lost. The readers look for one before they parse.
//
// The offset of the first NUL byte of the open, seekable `device`, or -1 when there is
// none or the file is in UTF-16 or UTF-32 (a byte order mark, or a zero among its first
// four bytes: there zero bytes are part of the characters). The position is put back at
// the start.
qint64 firstNulByte(QIODevice &device);

// The message for a file with a NUL byte at `offset`.
QString nulByteMessage(qint64 offset);

} // namespace Util
