#pragma once

// Shared by the document and process-list tests: small files, volumes and a conflict
// observer that answers with a fixed choice.
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialconflict.h"
#include "Model/Materials/materialfactory.h"
#include "Util/iobserver.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace DocumentTest {

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A volume with the given ids in cell-index order (the rest empty).
inline Model::Automaton::TotalVolumePtr makeVolume(uint32_t x, uint32_t y, uint32_t z,
                                                   const std::vector<uint32_t> &ids = {})
{
    return std::make_shared<Model::Automaton::TotalVolume>(x, y, z, 1.0f, 1.0f, 1.0f,
                                                           Util::Vector3D(), ids);
}

inline size_t countCells(const Model::Automaton::TotalVolumePtr &volume, uint32_t id)
{
    const std::vector<uint32_t> ids = volume->materialIds();
    return static_cast<size_t>(std::count(ids.begin(), ids.end(), id));
}

// Stands in for the material conflict dialog: settles with a fixed choice, or leaves
// the conflict unsettled ("Cancel").
class FixedConflictAnswer : public Util::IObserver
{
public:
    FixedConflictAnswer(bool settle, Model::Materials::MaterialConflictChoice choice,
                        uint32_t replacement = 0)
        : settle(settle), choice(choice), replacement(replacement)
    {
    }
    void update() override
    {
        ++calls;
        auto &conflict = Model::Materials::MaterialConflict::pending();
        existing = conflict.existing();
        loaded = conflict.loaded();
        if (settle)
            conflict.settle(choice, replacement);
    }

    bool settle;
    Model::Materials::MaterialConflictChoice choice;
    uint32_t replacement;
    int calls = 0;
    Model::Materials::Material existing;
    Model::Materials::Material loaded;
};

} // namespace DocumentTest
