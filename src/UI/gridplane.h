#pragma once

#include "Util/vector4d.h"

namespace Ui {

// The ground grid: lines every `spacing` units over a rectangle at height z.
class GridPlane
{
public:
    GridPlane();

    void setBounds(float x0, float y0, float x1, float y1);
    // Spacings that are not positive are refused (they would never end a line loop).
    bool setSpacing(float s);
    float getSpacing() const { return spacing; }

    // Draws the lines in the given colour with lighting off. Needs a current context.
    void draw(const Util::Vector4D &lineColour) const;

    float minX;
    float minY;
    float maxX;
    float maxY;
    float z;
    float spacing;
    Util::Vector4D colour;
};

} // namespace Ui
