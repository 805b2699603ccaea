#pragma once

#include <memory>
#include <vector>

namespace Util {

class IObserver
{
public:
    virtual ~IObserver() = default;
    virtual void update() = 0;
};

using ObserverPtr = std::shared_ptr<IObserver>;
using ObserverList = std::vector<ObserverPtr>;

// Calls update() on every observer in insertion order. The list is copied first so an
// observer may add or remove observers while it is being notified.
inline void notifyAll(const ObserverList &observers)
{
    const ObserverList copy = observers;
    for (const ObserverPtr &o : copy)
        if (o)
            o->update();
}

} // namespace Util
