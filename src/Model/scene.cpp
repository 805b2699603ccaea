#include "Model/scene.h"

#include <QMutexLocker>
#include <algorithm>

namespace Model {

Scene::Scene() : layers(1) {}

std::vector<ObjectPtr> Scene::objects() const
{
    QMutexLocker lock(&mutex);
    std::vector<ObjectPtr> result;
    for (const Layer &layer : layers)
        result.insert(result.begin(), layer.objects.begin(), layer.objects.end());
    return result;
}

void Scene::add(const ObjectPtr &object)
{
    if (!object)
        return;
    QMutexLocker lock(&mutex);
    layers[current].objects.push_back(object);
}

bool Scene::remove(const ObjectPtr &object)
{
    QMutexLocker lock(&mutex);
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
    QMutexLocker lock(&mutex);
    for (const Layer &layer : layers)
        for (const ObjectPtr &o : layer.objects)
            if (o->getId() == id)
                return o;
    return nullptr;
}

int Scene::objectCount() const
{
    QMutexLocker lock(&mutex);
    int n = 0;
    for (const Layer &layer : layers)
        n += static_cast<int>(layer.objects.size());
    return n;
}

void Scene::addLayer()
{
    QMutexLocker lock(&mutex);
    layers.emplace_back();
}

int Scene::layerCount() const
{
    QMutexLocker lock(&mutex);
    return static_cast<int>(layers.size());
}

void Scene::setCurrentLayer(int index)
{
    QMutexLocker lock(&mutex);
    if (index >= 0 && index < static_cast<int>(layers.size()))
        current = index;
}

int Scene::currentLayer() const
{
    QMutexLocker lock(&mutex);
    return current;
}

void Scene::reset()
{
    QMutexLocker lock(&mutex);
    layers.assign(1, Layer());
    current = 0;
    sceneName.clear();
}

QString Scene::name() const
{
    QMutexLocker lock(&mutex);
    return sceneName;
}

void Scene::setName(const QString &name)
{
    QMutexLocker lock(&mutex);
    sceneName = name;
}

} // namespace Model
