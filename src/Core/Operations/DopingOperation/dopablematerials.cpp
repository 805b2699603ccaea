#include "Core/Operations/DopingOperation/dopablematerials.h"

#include "Model/Process/processfactory.h"

#include <algorithm>

namespace Core {
namespace Operations {

std::vector<uint32_t> catalogueMaterials(int32_t processId)
{
    std::vector<uint32_t> ids = Model::Process::ProcessFactory::instance()->getProcess(processId).compatibleMaterials;
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace Operations
} // namespace Core
