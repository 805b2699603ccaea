#include "Model/Persistence/documentfile.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/documentsource.h"
#include "Model/Persistence/materialelement.h"
#include "Util/enumnumbers.h"
#include "Util/nulbytes.h"
#include "Util/savefilecommit.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <exception>
#include <new>
#include <optional>
#include <vector>

namespace Model {
namespace Persistence {

const QString DocumentFile::writeErrorTitle = QStringLiteral("Error writing to file");
const QString DocumentFile::writeErrorText =
    QStringLiteral("Unable to save document to the specified file.");
const QString DocumentFile::readErrorTitle = QStringLiteral("Error reading from file");

QString DocumentFile::readErrorText(const Result &result)
{
    switch (result.status) {
    case Status::CannotOpen:
        return QStringLiteral("Unable to open the specified file: %1").arg(result.detail);
    case Status::NotADocument:
        return QStringLiteral("The specified file is not a Kelvane document.");
    case Status::ReadFailed:
        return QStringLiteral("Unable to read a document from the specified file: %1").arg(result.detail);
    case Status::Ok:
    case Status::WriteFailed:
        break;
    }
    return result.detail;
}

DocumentFile::Result DocumentFile::save(Scene &scene, const QString &path,
                                        const ArchiverRegistry &archivers)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return {Status::CannotOpen, file.errorString()};

    errno = 0;
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(false);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeStartElement(QStringLiteral("Document"));
    writer.writeEmptyElement(QStringLiteral("Header"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    for (const Materials::Material &m : Materials::MaterialFactory::instance()->getMaterials())
        MaterialElement::write(writer, m);

    bool written = true;
    for (const ObjectPtr &object : scene.objects()) {
        // Objects without an archiver (the extracted model) are not stored.
        const ObjectArchiverPtr archiver = archivers.archiver(object->getType());
        if (!archiver)
            continue;
        archiver->setWriter(&writer);
        written = archiver->write(object);
        archiver->setWriter(nullptr);
        if (!written || writer.hasError())
            break;
    }
    writer.writeEndElement();
    writer.writeEndDocument();

    if (!written || writer.hasError()) {
        const QString reason = writer.hasError() ? Util::writeFailure(file) : file.errorString();
        file.cancelWriting();
        return {Status::WriteFailed, reason};
    }
    QString reason;
    if (!Util::flushAndCommit(file, &reason))
        return {Status::WriteFailed, reason};
    scene.setName(path);
    return {};
}

DocumentFile::Result DocumentFile::open(const QString &path, Scene &scene,
                                        const ArchiverRegistry &archivers,
                                        const Materials::MaterialReconciler &materials)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {Status::CannotOpen, file.errorString()};

    // The reader gets the file through a source that lets the cell volume archiver take
    // the cells' text straight from the bytes.
    DocumentSource source(file);
    source.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    QXmlStreamReader reader(&source);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("Document") ||
        !reader.readNextStartElement() || reader.name() != QLatin1String("Header")) {
        if (reader.hasError() && reader.error() != QXmlStreamReader::NotWellFormedError)
            return {Status::ReadFailed, reader.errorString()};
        return {Status::NotADocument, QString()};
    }
    // The version (1 when absent) is read but not otherwise used: there is only one.
    {
        // A file that starts as a document but holds a NUL byte is damaged (a file that
        // does not start as one is simply something else, reported above).
        QFile whole(path);
        const qint64 nul = whole.open(QIODevice::ReadOnly) ? Util::firstNulByte(whole) : -1;
        if (nul >= 0)
            return {Status::ReadFailed, Util::nulByteMessage(nul)};
    }

    Materials::MaterialIdMap idMap;
    std::vector<ObjectPtr> objects;
    try {
        while (!reader.atEnd()) {
            reader.readNext();
            if (!reader.isStartElement())
                continue;
            if (reader.name() == QLatin1String("Material")) {
                materials.reconcile(reader, idMap);
            } else if (reader.name() == QLatin1String("Object")) {
                const uint type = reader.attributes().value(QLatin1String("object-type")).toUInt();
                const std::optional<ObjectKind> kind = Util::fromNumber(type, objectKinds);
                const ObjectArchiverPtr archiver = kind ? archivers.archiver(*kind) : nullptr;
                if (!archiver)
                    continue; // unknown kind: its children are passed over like any other
                archiver->setReader(&reader);
                archiver->setMaterialIdMap(&idMap);
                ObjectPtr object = archiver->read();
                archiver->setReader(nullptr);
                archiver->setMaterialIdMap(nullptr);
                if (object)
                    objects.push_back(std::move(object));
            }
        }
    } catch (const std::bad_alloc &) {
        return {Status::ReadFailed, QStringLiteral("There is not enough memory to hold the document.")};
    }
    if (reader.hasError()) {
        return {Status::ReadFailed,
                QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber())};
    }

    for (const ObjectPtr &object : objects)
        scene.add(object);
    scene.setName(path);
    return {};
}

} // namespace Persistence
} // namespace Model
