#include "Core/Operations/ModelExtraction/netlistfile.h"
#include "Util/savefilecommit.h"

#include <QLocale>
#include <QSaveFile>
#include <QTextStream>

namespace Core {
namespace Operations {

bool NetlistFile::save(const QString &fileName, const QString &netlist, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    errno = 0;
    QTextStream stream(&file);
    stream.setLocale(QLocale::system());
    stream << netlist;
    stream.flush();
    if (stream.status() == QTextStream::Ok)
        return Util::flushAndCommit(file, error);
    if (error)
        *error = Util::writeFailure(file);
    file.cancelWriting();
    return false;
}

} // namespace Operations
} // namespace Core
