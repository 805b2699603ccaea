// Mask images as the photolithography and masked-cut dialogs read them, and the column
// grid a volume takes from them.
#include "fuzzsupport.h"

#include "Core/Operations/Photolithography/mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::inputFile("input.img", data, size);
    Core::Operations::Mask mask;
    if (Core::Operations::Mask::fromFile(path, &mask))
        mask.columnGrid(17, 9, size % 2 == 1, size % 3 == 1);
    return 0;
}
