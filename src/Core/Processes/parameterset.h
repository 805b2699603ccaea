#pragma once

#include <QMap>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace Core {
namespace Processes {

// The values of one run of a process, by the key of the process's parameter field: what
// an options dialog fills, what a batch step reads from its list entry, and what the
// process's run function takes, the same on every path. A material is its catalogue id
// under the field's key.
class ParameterSet
{
public:
    ParameterSet() = default;
    ParameterSet(std::initializer_list<std::pair<QString, QVariant>> entries)
    {
        for (const auto &entry : entries)
            values.insert(entry.first, entry.second);
    }

    void set(const QString &key, const QVariant &value) { values.insert(key, value); }
    bool has(const QString &key) const { return values.contains(key); }
    QVariant value(const QString &key) const { return values.value(key); }

    double number(const QString &key) const { return values.value(key).toDouble(); }
    float real(const QString &key) const { return values.value(key).toFloat(); }
    int32_t integer(const QString &key) const { return values.value(key).toInt(); }
    uint32_t count(const QString &key) const { return values.value(key).toUInt(); }
    uint32_t material(const QString &key) const { return values.value(key).toUInt(); }
    bool flag(const QString &key) const { return values.value(key).toBool(); }
    QString text(const QString &key) const { return values.value(key).toString(); }

    const QMap<QString, QVariant> &all() const { return values; }

private:
    QMap<QString, QVariant> values;
};

} // namespace Processes
} // namespace Core
