#pragma once

// Shared by the catalogue and reconciliation tests: a fixture that points HOME at a fresh
// temporary folder for one test and puts everything back afterwards, and a capture of
// qWarning() output.
#include "Model/Materials/materialconflict.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "testenv.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>

namespace CatalogueTest {

// Collects warning (and worse) messages while alive; nothing reaches stderr meanwhile.
class WarningCapture
{
public:
    WarningCapture() { previous = qInstallMessageHandler(&WarningCapture::handler); list().clear(); }
    ~WarningCapture() { qInstallMessageHandler(previous); }
    QStringList messages() const { return list(); }

private:
    static QStringList &list()
    {
        static QStringList messages;
        return messages;
    }
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            list() << message;
    }
    QtMessageHandler previous = nullptr;
};

class CatalogueFixture : public ::testing::Test
{
public:
    // Creates both singletons (if no test did yet) while HOME is the run's home.
    static void ensureCreated()
    {
        ASSERT_EQ(QDir::homePath(), QDir(TestEnv::homeDir()).absolutePath());
        Model::Materials::MaterialFactory::instance();
        Model::Process::ProcessFactory::instance();
    }

protected:
    void SetUp() override
    {
        ensureCreated();
        savedHome = qgetenv("HOME");
        ASSERT_TRUE(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        ASSERT_EQ(QDir::homePath(), home.path());
        Model::Materials::MaterialFactory::instance()->resetToBuiltIns();
        Model::Process::ProcessFactory::instance()->resetToDefaults();
        Model::Materials::MaterialConflict::pending().clear();
    }

    void TearDown() override
    {
        qputenv("HOME", savedHome);
        Model::Materials::MaterialFactory::instance()->resetToBuiltIns();
        Model::Process::ProcessFactory::instance()->resetToDefaults();
        Model::Materials::MaterialConflict::pending().clear();
    }

    QString catalogueFolder() const { return home.path() + QStringLiteral("/Kelvane"); }

    QByteArray readBytes(const QString &name) const
    {
        QFile file(catalogueFolder() + "/" + name);
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << name.toStdString();
            return QByteArray();
        }
        return file.readAll();
    }

    QString readFile(const QString &name) const { return QString::fromUtf8(readBytes(name)); }

    void writeFile(const QString &name, const QByteArray &text) const
    {
        ASSERT_TRUE(QDir().mkpath(catalogueFolder()));
        QFile file(catalogueFolder() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(text), text.size());
    }

    QTemporaryDir home;
    QByteArray savedHome;
};

} // namespace CatalogueTest
