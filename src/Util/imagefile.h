#pragma once

#include <QString>

class QImage;

namespace Util {

// Writes `image` without alpha in the format its file name's suffix names (PNG, JPG,
// XPM, ...), through a temporary file, so that an older file of that name survives a
// failed write. False with `error` set when the format is unknown or writing fails.
bool saveImageFile(const QImage &image, const QString &fileName, QString *error = nullptr);

} // namespace Util
