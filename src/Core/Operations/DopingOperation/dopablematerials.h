#pragma once

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// Catalogue processes whose material lists the doping and oxidation steps work on.
constexpr int32_t siOxidationProcess = 12;
constexpr int32_t simpleDopingProcess = 13;

// The compatible material ids of a catalogue process, sorted and without repeats.
std::vector<uint32_t> catalogueMaterials(int32_t processId);

} // namespace Operations
} // namespace Core
