#pragma once

#include "Util/vector3d.h"
#include "Util/vector4d.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace Model {

// The kinds of scene object. The numbers are the "object-type" of document files.
enum class ObjectKind : int32_t { TotalVolume = 1, ExtractedModel = 2 };
constexpr std::array<ObjectKind, 2> objectKinds{ObjectKind::TotalVolume, ObjectKind::ExtractedModel};

// Abstract base of everything the 3-D scene holds.
class Object
{
public:
    Object();
    virtual ~Object() = default;

    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    virtual ObjectKind getType() const = 0;
    virtual void draw(bool surfaces, bool outlines, Util::Vector3D eye) = 0;
    virtual void drawForPicking() = 0;
    // A new object with a fresh id, or null when the object cannot be cloned.
    virtual std::shared_ptr<Object> clone() = 0;
    virtual void move(Util::Vector3D delta) = 0;
    virtual void hook(const Util::Vector4D &a, const Util::Vector4D &b) = 0;
    virtual Util::Vector4D getColor() const { return color; }
    virtual Util::Vector3D getOutlineColor() const { return Util::Vector3D(outlineColor); }
    virtual void setColor(Util::Vector4D c) { color = c; }
    virtual void setOutlineColor(Util::Vector4D c) { outlineColor = c; }
    virtual void setSelected(bool s) { selected = s; }
    virtual bool isSelected() const { return selected; }

    int32_t getId() const { return id; }
    bool isTemporary() const { return temporary; }
    void setTemporary(bool t) { temporary = t; }
    Util::Vector3D getTemporaryOffset() const { return temporaryOffset; }
    void setTemporaryOffset(const Util::Vector3D &offset) { temporaryOffset.assignXYZ(offset); }

protected:
    Util::Vector4D color;
    Util::Vector4D outlineColor;

private:
    int32_t id;
    bool temporary = false;
    Util::Vector3D temporaryOffset;
    bool selected = false;

    static std::atomic<int32_t> idCounter;
};

using ObjectPtr = std::shared_ptr<Object>;

} // namespace Model
