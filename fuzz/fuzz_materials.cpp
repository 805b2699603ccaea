// The material catalogue file as start-up reads it.
#include "fuzzsupport.h"

#include "Model/Materials/materialfactory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::inputFile("Kelvane/materials.xml", data, size);
    static const auto catalogue = Model::Materials::MaterialFactory::instance();
    catalogue->loadMaterials();
    return 0;
}
