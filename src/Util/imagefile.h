#pragma once

#include <QByteArray>
#include <QString>

class QImage;

namespace Util {

// Writes `image` without alpha in `format`, or (when it is empty) in the format the file
// name's suffix names (PNG, JPG, XPM, ...), through a temporary file, so that an older
// file of that name survives a failed write. False with `error` set when the format is
// unknown or writing fails.
bool saveImageFile(const QImage &image, const QString &fileName, QString *error = nullptr,
                   const QByteArray &format = QByteArray());

} // namespace Util
