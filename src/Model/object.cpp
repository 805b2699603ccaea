#include "Model/object.h"

namespace Model {

std::atomic<int32_t> Object::idCounter{0};

Object::Object()
    : color(Util::ColorSetting::ObjectColor, Util::ColorVariant::Default),
      outlineColor(Util::ColorSetting::OutlineColor, Util::ColorVariant::Default),
      id(idCounter.fetch_add(1))
{
}

} // namespace Model
