#include "Util/imagefile.h"

#include "Util/savefilecommit.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace Util {

bool saveImageFile(const QImage &image, const QString &fileName, QString *error, const QByteArray &chosenFormat)
{
    const QByteArray format =
        chosenFormat.isEmpty() ? QFileInfo(fileName).suffix().toLower().toLatin1() : chosenFormat.toLower();
    if (!QImageWriter::supportedImageFormats().contains(format)) {
        if (error)
            *error = format.isEmpty() ? QStringLiteral("the file name has no image suffix such as .png")
                                      : QStringLiteral("\"%1\" is not an image format Kelvane can write")
                                            .arg(QString::fromLatin1(format));
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, format);
    errno = 0;
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        // A failed write of the file says why in the system's words; the writer itself
        // only knows that it stopped.
        if (error)
            *error = file.error() != QFileDevice::NoError || errno != 0 ? writeFailure(file) : writer.errorString();
        file.cancelWriting();
        return false;
    }
    return flushAndCommit(file, error);
}

} // namespace Util
