#include "Model/object.h"

namespace Model {

std::atomic<int32_t> Object::idCounter{0};

Object::Object()
    : color(Util::ObjectColor, 0),
      outlineColor(Util::OutlineColor, 0),
      id(idCounter.fetch_add(1))
{
}

} // namespace Model
