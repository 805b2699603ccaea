#pragma once

#include "Util/vector3d.h"

namespace Model {
namespace Automaton {

class TotalVolume;

// Turns a volume's cells into drawable surfaces and draws them.
class TotalVolumePainter
{
public:
    explicit TotalVolumePainter(TotalVolume *volume);

    void regenerate();
    void refreshColors();
    void paint(bool surfaces, bool outlines, Util::Vector3D eye);
    void drawForPicking();

private:
    TotalVolume *volume;
};

} // namespace Automaton
} // namespace Model
