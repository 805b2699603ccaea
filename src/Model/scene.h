#pragma once

#include "Model/object.h"

#include <QMutex>
#include <QString>
#include <vector>

namespace Model {

// One layer of the scene: its objects in insertion order.
struct Layer
{
    std::vector<ObjectPtr> objects;
};

// The objects of one document, in layers, guarded by its own mutex because the view
// reads it while drawing.
class Scene
{
public:
    Scene();

    // Every object of every layer; later layers' objects come first.
    std::vector<ObjectPtr> objects() const;
    void add(const ObjectPtr &object);
    // True when the object was found and removed.
    bool remove(const ObjectPtr &object);
    ObjectPtr find(int32_t id) const;
    int objectCount() const;

    void addLayer();
    int layerCount() const;
    void setCurrentLayer(int index);
    int currentLayer() const;
    // Back to one empty layer (new document).
    void reset();

    QString name() const;
    void setName(const QString &name);

private:
    mutable QMutex mutex;
    std::vector<Layer> layers;
    int current = 0;
    QString sceneName;
};

} // namespace Model
