#pragma once

// Running kelvane-batch as its own process and reading back what it wrote.
#include "testenv.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/scene.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <gtest/gtest.h>

namespace BatchTest {

struct Run
{
    int exitCode = -1;
    QString errors;
};

// `program` runs in place of kelvane-batch when given (a shell that sets limits first).
inline Run run(const QStringList &arguments, const QString &program = QStringLiteral(KELVANE_BATCH_EXE),
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(TestEnv::workDir());
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

// One of the shipped example lists, by file name.
// The start of the small test lists, up to their first step: a 12 x 12 x 16 volume with 4
// layers of Si.
constexpr const char *smallSubstrateList = R"(<?xml version="1.0" encoding="UTF-8"?>
<Process-List version="1">
    <Materials/>
    <Process-Data process-type="11">
        <Parameter parameter-name="Lower Left Front Corner" parameter-type="Util::Vector3D" parameter-data="0;0;0" parameter-visibility="true"/>
        <Parameter parameter-name="Material_Id" parameter-type="uint" parameter-data="1" parameter-visibility="false"/>
        <Parameter parameter-name="SphericalSubstrate" parameter-type="bool" parameter-data="false" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Delta X" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Delta Y" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Delta Z" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Size X" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Size Y" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Size Z" parameter-type="uint" parameter-data="4" parameter-visibility="true"/>
        <Parameter parameter-name="Volume Size X" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Volume Size Y" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Volume Size Z" parameter-type="uint" parameter-data="16" parameter-visibility="true"/>
    </Process-Data>
)";

// The small test volume, then an isotropic oxide film of the given thickness.
inline QByteArray smallFilmList(const char *thickness)
{
    return QByteArray(smallSubstrateList) + R"(    <Process-Data process-type="16">
        <Parameter parameter-name="Material_Id" parameter-type="uint" parameter-data="3" parameter-visibility="false"/>
        <Parameter parameter-name="Film Thickness" parameter-type="float" parameter-data=")" +
           thickness + R"(" parameter-visibility="true"/>
    </Process-Data>
</Process-List>
)";
}

inline QString example(const char *name) { return QStringLiteral(KELVANE_EXAMPLES_DIR "/") + name; }

inline QString workFile(const QString &name)
{
    return QDir(TestEnv::workDir()).filePath(name);
}

inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Writes `bytes` into the work folder and returns the file's path.
inline QString writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = workFile(name);
    write(path, bytes);
    return path;
}

inline Model::Automaton::TotalVolumePtr readVolume(const QString &path, Model::Scene &scene)
{
    const Model::Persistence::ArchiverRegistry archivers;
    const Model::Materials::MaterialReconciler materials(nullptr, [](const std::string &) {});
    const auto result = Model::Persistence::DocumentFile::open(path, scene, archivers, materials);
    EXPECT_TRUE(result.ok()) << result.detail.toStdString();
    for (const Model::ObjectPtr &object : scene.objects())
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
            return volume;
    return nullptr;
}

} // namespace BatchTest
