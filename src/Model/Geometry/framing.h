#pragma once

#include <optional>

namespace Model {
class Scene;

namespace Geometry {

// An axis-aligned box in model units.
struct Box
{
    double lo[3] = {0, 0, 0};
    double hi[3] = {0, 0, 0};
    double centre(int axis) const { return (lo[axis] + hi[axis]) / 2.0; }
};

// The box around what the scene's cell volumes show: the cells their last surfaces were
// made of (filled, visible, inside the cut box). A volume whose surfaces were never made
// counts whole, and `settled` (when given) is then false. When no volume shows a cell,
// the box around the volumes themselves; none when the scene holds no volume.
std::optional<Box> sceneBounds(const Scene &scene, bool *settled = nullptr);

// How an orthographic view frames a box: the point to turn about (the box's centre) and
// the zoom in pixels per model unit.
struct Framing
{
    double centre[3] = {0, 0, 0};
    double zoom = 1.0;
};

// Frames `box` in a width x height pixel view whose rotation is the column-major 4 x 4
// matrix `rotation`: the box's centre in the middle, and its projection filling
// `fill` (0..1) of the view's width or height, whichever is tighter.
Framing frame(const Box &box, const float rotation[16], int width, int height, double fill = 0.8);

// Half the box's extent along the viewing direction after `rotation`.
double depthHalfExtent(const Box &box, const float rotation[16]);

} // namespace Geometry
} // namespace Model
