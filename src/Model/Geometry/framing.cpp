#include "Model/Geometry/framing.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/scene.h"

#include <algorithm>
#include <cmath>

namespace Model {
namespace Geometry {

namespace {

// Half extents of the box about its centre along the view's x, y and z axes.
void halfExtents(const Box &box, const float r[16], double out[3])
{
    const double h[3] = {(box.hi[0] - box.lo[0]) / 2, (box.hi[1] - box.lo[1]) / 2, (box.hi[2] - box.lo[2]) / 2};
    // A corner c maps to row k of the rotation times c; the largest |.| over the eight
    // corners is the sum of |r_ki| * h_i.
    for (int k = 0; k < 3; ++k)
        out[k] = std::abs(r[k]) * h[0] + std::abs(r[4 + k]) * h[1] + std::abs(r[8 + k]) * h[2];
}

} // namespace

std::optional<Box> sceneBounds(const Scene &scene, bool *settled)
{
    std::optional<Box> shown;
    std::optional<Box> whole;
    const auto include = [](std::optional<Box> &bounds, const double lo[3], const double hi[3]) {
        if (!bounds) {
            bounds = Box();
            std::copy(lo, lo + 3, bounds->lo);
            std::copy(hi, hi + 3, bounds->hi);
            return;
        }
        for (int i = 0; i < 3; ++i) {
            bounds->lo[i] = std::min(bounds->lo[i], lo[i]);
            bounds->hi[i] = std::max(bounds->hi[i], hi[i]);
        }
    };
    if (settled)
        *settled = true;
    for (const ObjectPtr &o : scene.objects()) {
        auto volume = std::dynamic_pointer_cast<Automaton::TotalVolume>(o);
        if (!volume)
            continue;
        const Util::Vector3D p = volume->getPosition();
        const double origin[3] = {p.x, p.y, p.z};
        const double cell[3] = {volume->getCellSizeX(), volume->getCellSizeY(), volume->getCellSizeZ()};
        const double size[3] = {double(volume->getSizeX()), double(volume->getSizeY()), double(volume->getSizeZ())};
        double lo[3], hi[3];
        for (int i = 0; i < 3; ++i) {
            lo[i] = origin[i];
            hi[i] = origin[i] + size[i] * cell[i];
        }
        include(whole, lo, hi);
        const Automaton::TotalVolumePainter::ShownCells cells = volume->getPainter()->getShownCells();
        if (!cells.known) {
            if (settled)
                *settled = false;
            include(shown, lo, hi);
        } else if (cells.any) {
            for (int i = 0; i < 3; ++i) {
                lo[i] = origin[i] + cells.min[i] * cell[i];
                hi[i] = origin[i] + cells.max[i] * cell[i];
            }
            include(shown, lo, hi);
        }
    }
    return shown ? shown : whole;
}

Framing frame(const Box &box, const float rotation[16], int width, int height, double fill)
{
    Framing f;
    for (int i = 0; i < 3; ++i)
        f.centre[i] = box.centre(i);
    double half[3];
    halfExtents(box, rotation, half);
    // A flat or empty box still gets a finite zoom.
    const double tiny = 1e-6;
    const double zx = width / (2.0 * std::max(half[0], tiny));
    const double zy = height / (2.0 * std::max(half[1], tiny));
    f.zoom = fill * std::min(zx, zy);
    return f;
}

double depthHalfExtent(const Box &box, const float rotation[16])
{
    double half[3];
    halfExtents(box, rotation, half);
    return half[2];
}

} // namespace Geometry
} // namespace Model
