#pragma once

#include <array>
#include <cstdint>

namespace Model {
namespace Automaton {

// How a volume's painter turns cells into surfaces. The numbers are the entries of the
// visualisation dialog's "Algorithm" list.
enum class SurfaceMode : int32_t { DirectCubic = 0, MarchingCubes = 1, Octree = 2, FieldView = 3 };
constexpr std::array<SurfaceMode, 4> surfaceModes{SurfaceMode::DirectCubic, SurfaceMode::MarchingCubes,
                                                  SurfaceMode::Octree, SurfaceMode::FieldView};

// Which dopant counts the field view shows: N-type, P-type or their signed sum P - N.
enum class FieldDistribution : int32_t { TypeN = 0, TypeP = 1, SignedSum = 2 };
constexpr std::array<FieldDistribution, 3> fieldDistributions{FieldDistribution::TypeN, FieldDistribution::TypeP,
                                                              FieldDistribution::SignedSum};

// The field view's colour scale: "Gray Scale", "Red to Blue", "Yellow to Blue".
enum class ColorScaleType : int32_t { GrayScale = 0, RedToBlue = 1, YellowToBlue = 2 };
constexpr std::array<ColorScaleType, 3> colorScaleTypes{ColorScaleType::GrayScale, ColorScaleType::RedToBlue,
                                                        ColorScaleType::YellowToBlue};

} // namespace Automaton
} // namespace Model
