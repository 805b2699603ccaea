#include "Model/Process/processfactory.h"
#include "Util/filebackup.h"
#include "Util/nulbytes.h"
#include "Util/startupnotices.h"
#include "Util/savefilecommit.h"

#include <cstdint>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtDebug>
#include <mutex>

namespace Model {
namespace Process {

namespace {

// Every id from first to last, inclusive, ascending.
std::vector<uint32_t> range(uint32_t first, uint32_t last)
{
    std::vector<uint32_t> ids;
    for (uint32_t id = first; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

std::vector<uint32_t> concat(std::vector<uint32_t> a, const std::vector<uint32_t> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Process makeProcess(int32_t id, const char *name, std::vector<uint32_t> compatible)
{
    Process p;
    p.name = QString::fromUtf8(name);
    p.id = id;
    p.compatibleMaterials = std::move(compatible);
    return p;
}

// Advances to the next start element, or to the end of the document / an error.
bool nextStartElement(QXmlStreamReader &reader)
{
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement())
            return true;
    }
    return false;
}

} // namespace

std::shared_ptr<ProcessFactory> ProcessFactory::instance()
{
    static const std::shared_ptr<ProcessFactory> factory = [] {
        std::shared_ptr<ProcessFactory> f(new ProcessFactory());
        f->startUp();
        return f;
    }();
    return factory;
}

void ProcessFactory::startUp()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        processes.clear();
    }
    const bool existed = QFileInfo::exists(filePath());
    QString backup;
    const bool loaded = loadProcesses();
    if (loaded) {
        mergeDefaults();
    } else {
        backup = Util::keepBackup(filePath());
        resetToDefaults();
    }
    saveProcesses();
    if (!loaded && existed)
        Util::addStartUpNotice(Util::replacedFileNotice(QStringLiteral("process catalogue"), filePath(), backup,
                                                      QStringLiteral("the built-in processes")));
}

Process ProcessFactory::getProcess(int32_t id) const
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = processes.constFind(id);
    return it == processes.cend() ? Process() : it.value();
}

std::vector<Process> ProcessFactory::getProcesses() const
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Process> result;
    result.reserve(static_cast<size_t>(processes.size()));
    for (auto it = processes.cbegin(); it != processes.cend(); ++it)
        result.push_back(it.value());
    return result;
}

bool ProcessFactory::setProcess(const Process &process)
{
    std::lock_guard<std::mutex> lock(mutex);
    return setProcessUnlocked(process);
}

bool ProcessFactory::setProcessUnlocked(const Process &process)
{
    if (process.id == 0)
        return false;
    processes.insert(process.id, process);
    return true;
}

std::vector<uint32_t> ProcessFactory::parseCompatibleMaterials(const QString &text)
{
    std::vector<uint32_t> ids;
    const QStringList parts = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        bool ok = false;
        const uint id = part.toUInt(&ok);
        if (ok)
            ids.push_back(static_cast<uint32_t>(id));
    }
    return ids;
}

QString ProcessFactory::compatibleMaterialsText(const std::vector<uint32_t> &ids)
{
    QStringList parts;
    for (uint32_t id : ids)
        parts << QString::number(id);
    return parts.join(QLatin1Char(';'));
}

bool ProcessFactory::loadProcesses()
{
    std::lock_guard<std::mutex> lock(mutex);
    QFile file(filePath());
    if (!file.exists())
        return false; // first start: nothing to read, the built-ins follow
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning() << "ProcessFactory: cannot open" << file.fileName() << ":" << file.errorString();
        return false;
    }
    const qint64 nul = Util::firstNulByte(file);
    if (nul >= 0) {
        qWarning().noquote() << "ProcessFactory: cannot read" << file.fileName() << ":" << Util::nulByteMessage(nul);
        return false;
    }
    QXmlStreamReader reader(&file);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("Processes")) {
        if (reader.hasError())
            qWarning() << "ProcessFactory: error reading" << file.fileName() << ":"
                       << reader.errorString();
        else
            qWarning() << "ProcessFactory:" << file.fileName()
                       << "does not start with a \"Processes\" element";
        return false;
    }

    // A start element seen while looking for a "CompatibleMaterials" child that turned out
    // to be something else is examined again by the main loop.
    bool pending = false;
    while (pending || nextStartElement(reader)) {
        pending = false;
        if (reader.name() != QLatin1String("Process"))
            continue;

        bool idOk = false, nameOk = false, versionOk = false;
        Process p;
        for (const QXmlStreamAttribute &attribute : reader.attributes()) {
            const QStringRef name = attribute.name();
            if (name == QLatin1String("process-id")) {
                const uint id = attribute.value().toUInt(&idOk);
                idOk = idOk && id <= static_cast<uint>(INT32_MAX);
                p.id = idOk ? static_cast<int32_t>(id) : 0;
            } else if (name == QLatin1String("name")) {
                p.name = attribute.value().toString();
                nameOk = true;
            } else if (name == QLatin1String("version")) {
                attribute.value().toUInt(&versionOk);
            }
        }
        if (!idOk || !nameOk || !versionOk || p.id == 0 || p.name.isEmpty())
            continue;

        if (!nextStartElement(reader))
            break;
        if (reader.name() != QLatin1String("CompatibleMaterials")) {
            pending = true;
            continue;
        }
        p.compatibleMaterials = parseCompatibleMaterials(
            reader.readElementText(QXmlStreamReader::SkipChildElements));
        if (reader.hasError())
            break;
        setProcessUnlocked(p);
    }

    if (reader.hasError()) {
        qWarning() << "ProcessFactory: error reading" << file.fileName() << ":"
                   << reader.errorString();
        return false;
    }
    return true;
}

bool ProcessFactory::saveProcesses(QString *error) const
{
    std::lock_guard<std::mutex> lock(mutex);
    const QString path = filePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qWarning() << "ProcessFactory: cannot create the folder" << folder;
        if (error)
            *error = QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qWarning() << "ProcessFactory: cannot write" << path << ":" << file.errorString();
        if (error)
            *error = file.errorString();
        return false;
    }
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(true);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeStartElement(QStringLiteral("Processes"));
    for (auto it = processes.cbegin(); it != processes.cend(); ++it) {
        const Process &p = it.value();
        writer.writeStartElement(QStringLiteral("Process"));
        writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
        writer.writeAttribute(QStringLiteral("name"), p.name);
        writer.writeAttribute(QStringLiteral("process-id"), QString::number(p.id));
        if (p.compatibleMaterials.empty())
            writer.writeEmptyElement(QStringLiteral("CompatibleMaterials"));
        else
            writer.writeTextElement(QStringLiteral("CompatibleMaterials"),
                                    compatibleMaterialsText(p.compatibleMaterials));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    if (writer.hasError()) {
        qWarning() << "ProcessFactory: error writing" << path << ":" << file.errorString();
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    QString reason;
    if (!Util::flushAndCommit(file, &reason)) {
        qWarning() << "ProcessFactory: cannot save" << path << ":" << reason;
        if (error)
            *error = reason;
        return false;
    }
    return true;
}

void ProcessFactory::resetToDefaults()
{
    std::lock_guard<std::mutex> lock(mutex);
    processes.clear();
    for (const Process &p : builtInProcesses())
        setProcessUnlocked(p);
}

void ProcessFactory::mergeDefaults()
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const Process &p : builtInProcesses())
        if (!processes.contains(p.id))
            setProcessUnlocked(p);
}

std::vector<Process> ProcessFactory::builtInProcesses()
{
    const std::vector<uint32_t> one{1};
    const std::vector<uint32_t> silicons{1, 14, 15, 16};
    return {
        makeProcess(1, "Si Wet Etching", {1}),
        makeProcess(2, "DRIE", {1}),
        makeProcess(3, "CVD", {3, 16}),
        makeProcess(4, "PVD", {4, 5, 6, 7, 8, 9, 10}),
        makeProcess(5, "Film Etching", range(3, 13)),
        makeProcess(6, "Photolithography", range(3, 13)),
        makeProcess(7, "Planarization", {}),
        makeProcess(8, "Spin Coating / Soft Lithography", {11, 12, 13}),
        makeProcess(9, "Isotropic Deposition", range(3, 10)),
        makeProcess(10, "Isotropic Etching", concat(one, range(3, 13))),
        makeProcess(11, "Electroplating", range(4, 10)),
        makeProcess(12, "Simple Si Oxidation", silicons),
        makeProcess(13, "Simple Doping", silicons),
        makeProcess(14, "Ion Implantation", silicons),
        makeProcess(15, "Ion Implantation", silicons),
        makeProcess(16, "Anisotropic Deposition", concat(one, range(3, 16))),
        makeProcess(17, "Anisotropic Etching", concat(one, range(3, 16))),
        makeProcess(18, "Isotropic Deposition", concat(one, range(3, 16))),
    };
}

QString ProcessFactory::filePath()
{
    return QDir::homePath() + QStringLiteral("/Kelvane/processes.xml");
}

} // namespace Process
} // namespace Model
