#include "Model/scene.h"

#include "Util/threadcheck.h"

#include <algorithm>

namespace Model {

Scene::Scene() : layers(1) {}

std::vector<ObjectPtr> Scene::objects() const
{
    Util::CheckedMutexLocker lock(&mutex);
    std::vector<ObjectPtr> result;
    for (const Layer &layer : layers)
        result.insert(result.begin(), layer.objects.begin(), layer.objects.end());
    return result;
}

void Scene::add(const ObjectPtr &object)
{
    if (!object)
        return;
    Util::CheckedMutexLocker lock(&mutex);
    layers[current].objects.push_back(object);
}

bool Scene::remove(const ObjectPtr &object)
{
    Util::CheckedMutexLocker lock(&mutex);
    for (Layer &layer : layers) {
        auto it = std::find(layer.objects.begin(), layer.objects.end(), object);
        if (it != layer.objects.end()) {
            layer.objects.erase(it);
            return true;
        }
    }
    return false;
}

ObjectPtr Scene::find(int32_t id) const
{
    Util::CheckedMutexLocker lock(&mutex);
    for (const Layer &layer : layers)
        for (const ObjectPtr &o : layer.objects)
            if (o->getId() == id)
                return o;
    return nullptr;
}

int Scene::objectCount() const
{
    Util::CheckedMutexLocker lock(&mutex);
    int n = 0;
    for (const Layer &layer : layers)
        n += static_cast<int>(layer.objects.size());
    return n;
}

void Scene::addLayer()
{
    Util::CheckedMutexLocker lock(&mutex);
    layers.emplace_back();
}

int Scene::layerCount() const
{
    Util::CheckedMutexLocker lock(&mutex);
    return static_cast<int>(layers.size());
}

void Scene::setCurrentLayer(int index)
{
    Util::CheckedMutexLocker lock(&mutex);
    if (index >= 0 && index < static_cast<int>(layers.size()))
        current = index;
}

int Scene::currentLayer() const
{
    Util::CheckedMutexLocker lock(&mutex);
    return current;
}

void Scene::reset()
{
    Util::CheckedMutexLocker lock(&mutex);
    layers.assign(1, Layer());
    current = 0;
    sceneName.clear();
}

QString Scene::name() const
{
    Util::CheckedMutexLocker lock(&mutex);
    return sceneName;
}

void Scene::setName(const QString &name)
{
    Util::CheckedMutexLocker lock(&mutex);
    sceneName = name;
}

} // namespace Model
