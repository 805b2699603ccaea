#pragma once

#include <QString>
#include <QStringList>

namespace Util {

// Messages for the user from the start of the program, before any window exists (a
// catalogue that could not be read and was replaced). The first main window shows them.
void addStartUpNotice(const QString &text);
// The notices so far, in order; they are then forgotten.
QStringList takeStartUpNotices();

// The notice for a file that could not be read and was written anew: `what` names it
// ("material catalogue"), `backup` is where the old bytes were kept (empty when they
// could not be), `replacement` what took its place.
QString replacedFileNotice(const QString &what, const QString &path, const QString &backup,
                           const QString &replacement);

} // namespace Util
