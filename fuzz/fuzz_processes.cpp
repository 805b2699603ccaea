// The process catalogue file as start-up reads it.
#include "fuzzsupport.h"

#include "Model/Process/processfactory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::inputFile("Kelvane/processes.xml", data, size);
    static const auto catalogue = Model::Process::ProcessFactory::instance();
    catalogue->loadProcesses();
    return 0;
}
