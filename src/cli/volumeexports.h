#pragma once

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Cli {

// Extracts the volume's cantilever beams (blocks, the cantilever rule, the netlist, as
// the Extract Model dialog's three steps do) and writes the netlist. False with `error`
// set when no beam is found or the file cannot be written (an existing file then stays).
bool writeNetlist(Model::Automaton::TotalVolume &volume, const QString &fileName, QString *error);

// Writes the particle-count field `field` as the CSV export does; an empty `field` takes
// the first field the volume holds ("... Type N" before "... Type P"). False with
// `error` set when the volume has no such field or the file cannot be written.
bool writeParticleCounts(Model::Automaton::TotalVolume &volume, const QString &fileName, QString field,
                         QString *error);

} // namespace Cli
