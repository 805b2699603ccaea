#pragma once

#include "Core/BatchRun/processdata.h"
#include "Util/iobserver.h"

#include <QString>
#include <QVariant>

namespace Core {
namespace BatchRun {

// The process-list file (".plst"): the material catalogue, then one "Process-Data"
// element per step with its parameters as typed text.
class ProcessListFile
{
public:
    // Writes the list; false when the file cannot be written. The previous file is
    // replaced only when the whole new list was written.
    static bool save(const QString &fileName, const ProcessList &list, QString *error = nullptr);
    // Appends the file's steps to `list`. The file's materials are matched with the
    // catalogue; a material whose id is taken by another name is settled by the
    // conflict observer (the dialog), and without one (or when it is cancelled) added
    // under a new id. Old files (version 0) get their parameters renamed, and every
    // material-id parameter is translated to the catalogue's id. False (and nothing
    // appended) when the file cannot be read or is not a process list.
    static bool load(const QString &fileName, ProcessList &list,
                     const Util::ObserverPtr &conflictObserver = nullptr, QString *error = nullptr);

    // The "parameter-type" and "parameter-data" texts of a value.
    static QString typeText(const QVariant &value);
    static QString dataText(const QVariant &value);
    // The value for a type and data text: an invalid QVariant for an unknown type;
    // data that does not parse as its type is kept as the text itself, so that a run
    // reports the value as invalid rather than as missing.
    static QVariant valueFromText(const QString &type, const QString &data);

    // Parameter names that hold material ids.
    static const QStringList &materialIdParameters();
};

} // namespace BatchRun
} // namespace Core
