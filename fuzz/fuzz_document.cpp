// Documents (*.mem) as Open reads them.
#include "fuzzsupport.h"

#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::inputFile("input.mem", data, size);
    static const Model::Persistence::ArchiverRegistry archivers;
    const Model::Materials::MaterialReconciler materials(nullptr, [](const std::string &) {});
    Model::Scene scene;
    Model::Persistence::DocumentFile::open(path, scene, archivers, materials);
    return 0;
}
