#include "Model/Automaton/totalvolumepainter.h"

#include "Model/Automaton/totalvolume.h"

namespace Model {
namespace Automaton {

TotalVolumePainter::TotalVolumePainter(TotalVolume *volume) : volume(volume) {}

void TotalVolumePainter::regenerate() {}
void TotalVolumePainter::refreshColors() {}
void TotalVolumePainter::paint(bool, bool, Util::Vector3D) {}
void TotalVolumePainter::drawForPicking() {}

} // namespace Automaton
} // namespace Model
