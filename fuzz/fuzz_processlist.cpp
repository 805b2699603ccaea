// Process lists (*.plst) as the batch dialog and kelvane-batch load them.
#include "fuzzsupport.h"

#include "Core/BatchRun/processlistfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::inputFile("input.plst", data, size);
    Ui::ProcessList list;
    QString error;
    Ui::ProcessListFile::load(path, list, nullptr, &error);
    return 0;
}
