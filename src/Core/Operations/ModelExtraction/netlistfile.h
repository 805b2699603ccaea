#pragma once

#include <QString>

namespace Core {
namespace Operations {

// Writes a netlist as text in the system's locale. The file is written beside the target
// and renamed over it only when complete, so a failure leaves an existing file whole.
class NetlistFile
{
public:
    // False when the file cannot be written; `error` (if given) then says why.
    static bool save(const QString &fileName, const QString &netlist, QString *error = nullptr);
};

} // namespace Operations
} // namespace Core
