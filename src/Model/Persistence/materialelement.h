#pragma once

#include "Model/Materials/material.h"

class QXmlStreamWriter;

namespace Model {
namespace Persistence {

// The "Material" element of documents and process lists, in the form of the material
// catalogue file: attributes "version", "name", "material-id", "density",
// "poisson-ratio", "young-modulus", "color", in that order.
class MaterialElement
{
public:
    static void write(QXmlStreamWriter &writer, const Materials::Material &material);
};

} // namespace Persistence
} // namespace Model
