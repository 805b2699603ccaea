#include "Core/BatchRun/processlistfile.h"

#include "Core/Processes/processregistry.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Materials/materialreconciler.h"
#include "Util/nulbytes.h"
#include "Util/savefilecommit.h"
#include "Model/Persistence/materialelement.h"
#include "Util/vector3d.h"

#include <QColor>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtDebug>

namespace Core {
namespace BatchRun {

namespace {

const QString listTag = QStringLiteral("Process-List");
const QString materialsTag = QStringLiteral("Materials");
const QString materialTag = QStringLiteral("Material");
const QString stepTag = QStringLiteral("Process-Data");
const QString parameterTag = QStringLiteral("Parameter");
const QString vectorType = QStringLiteral("vector");
const QString vector3DType = QStringLiteral("Util::Vector3D");

// The parameter renames of version-0 files, per process type.
struct Rename
{
    std::initializer_list<int32_t> types;
    const char *from;
    const char *to;
};
const Rename version0Renames[] = {
    {{0, 2, 3, 4, 5, 9, 11, 12, 13, 16, 17, 18}, "MaterialId", "Material_Id"},
    {{7}, "ConductingMaterialId", "Conducting Material_Id"},
    {{7}, "DepositedMaterialId", "Deposited Material_Id"},
    {{8, 14}, "DopedMaterialId", "Doped Material_Id"},
};

// Moves to the next start element anywhere below; false at the end or on an error.
bool advance(QXmlStreamReader &reader)
{
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return true;
    }
    return false;
}

void migrateVersion0(ProcessData &step)
{
    for (const Rename &rename : version0Renames)
        for (const int32_t type : rename.types)
            if (type == step.getProcessType())
                step.renameParameter(QLatin1String(rename.from), QLatin1String(rename.to));
}

void translateMaterialIds(ProcessData &step, const Model::Materials::MaterialIdMap &idMap)
{
    for (const QString &name : ProcessListFile::materialIdParameters()) {
        if (!step.hasParameter(name))
            continue;
        bool ok = false;
        const uint id = step.getParameters().value(name).toUInt(&ok);
        if (!ok)
            continue;
        const bool visible = step.getVisibility().value(name, true);
        step.setParameter(name, Model::Materials::MaterialReconciler::translate(idMap, id), visible);
    }
}

} // namespace

const QStringList &ProcessListFile::materialIdParameters()
{
    static const QStringList names = [] {
        QStringList keys;
        for (const Processes::ProcessDescriptor &process : Processes::ProcessRegistry::instance().all())
            for (const Processes::ParameterField &field : process.fields)
                if (field.isMaterial() && !keys.contains(field.listKey()))
                    keys << field.listKey();
        return keys;
    }();
    return names;
}

QString ProcessListFile::typeText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<MaskBitmap>())
        return vectorType;
    if (value.userType() == qMetaTypeId<Util::Vector3D>())
        return vector3DType;
    return QString::fromLatin1(value.typeName());
}

QString ProcessListFile::dataText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<MaskBitmap>()) {
        const MaskBitmap bits = value.value<MaskBitmap>();
        QString text(static_cast<int>(bits.size()), QLatin1Char('0'));
        for (size_t i = 0; i < bits.size(); ++i)
            if (bits[i] != 0)
                text[static_cast<int>(i)] = QLatin1Char('1');
        return text;
    }
    if (value.userType() == qMetaTypeId<Util::Vector3D>()) {
        const Util::Vector3D v(value);
        return QString::number(v.x, 'g', 10) + QLatin1Char(';') + QString::number(v.y, 'g', 10) +
               QLatin1Char(';') + QString::number(v.z, 'g', 10);
    }
    if (value.userType() == QMetaType::QColor)
        return value.value<QColor>().name();
    return value.toString();
}

QVariant ProcessListFile::valueFromText(const QString &type, const QString &data)
{
    bool ok = false;
    if (type == QLatin1String("bool"))
        return QVariant(data).toBool();
    if (type == QLatin1String("float")) {
        const float v = data.toFloat(&ok);
        return ok ? QVariant(v) : QVariant(data);
    }
    if (type == QLatin1String("double")) {
        const double v = data.toDouble(&ok);
        return ok ? QVariant(v) : QVariant(data);
    }
    if (type == QLatin1String("int")) {
        const int v = data.toInt(&ok);
        return ok ? QVariant(v) : QVariant(data);
    }
    if (type == QLatin1String("uint")) {
        const uint v = data.toUInt(&ok);
        return ok ? QVariant(v) : QVariant(data);
    }
    if (type == QLatin1String("QString"))
        return data;
    if (type == QLatin1String("QColor"))
        return QColor(data);
    if (type == vectorType) {
        MaskBitmap bits(static_cast<size_t>(data.size()), 0);
        for (int i = 0; i < data.size(); ++i)
            bits[static_cast<size_t>(i)] = data[i] == QLatin1Char('1') ? 1 : 0;
        return QVariant::fromValue(bits);
    }
    if (type == vector3DType) {
        const QStringList parts = data.split(QLatin1Char(';'));
        double xyz[3] = {0.0, 0.0, 0.0};
        bool valid = parts.size() == 3;
        for (int i = 0; valid && i < 3; ++i)
            xyz[i] = parts[i].trimmed().toDouble(&valid);
        if (!valid)
            return QVariant(data);
        return QVariant::fromValue(Util::Vector3D(xyz[0], xyz[1], xyz[2]));
    }
    return QVariant();
}

bool ProcessListFile::save(const QString &fileName, const ProcessList &list, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(true);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeStartElement(listTag);
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    writer.writeStartElement(materialsTag);
    for (const Model::Materials::Material &m : Model::Materials::MaterialFactory::instance()->getMaterials())
        Model::Persistence::MaterialElement::write(writer, m);
    writer.writeEndElement();
    for (const ProcessData &step : list) {
        writer.writeStartElement(stepTag);
        writer.writeAttribute(QStringLiteral("process-type"), QString::number(step.getProcessType()));
        const QMap<QString, QVariant> &parameters = step.getParameters();
        for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
            writer.writeEmptyElement(parameterTag);
            writer.writeAttribute(QStringLiteral("parameter-name"), it.key());
            writer.writeAttribute(QStringLiteral("parameter-type"), typeText(it.value()));
            writer.writeAttribute(QStringLiteral("parameter-data"), dataText(it.value()));
            const bool visible = step.getVisibility().value(it.key(), false);
            writer.writeAttribute(QStringLiteral("parameter-visibility"),
                                  visible ? QStringLiteral("true") : QStringLiteral("false"));
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    if (writer.hasError()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return Util::flushAndCommit(file, error);
}

bool ProcessListFile::load(const QString &fileName, ProcessList &list,
                           const Util::ObserverPtr &conflictObserver, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const qint64 nul = Util::firstNulByte(file);
    if (nul >= 0) {
        if (error)
            *error = Util::nulByteMessage(nul);
        return false;
    }
    QXmlStreamReader reader(&file);

    bool found = false;
    while (advance(reader)) {
        if (reader.name() == listTag) {
            found = true;
            break;
        }
    }
    if (!found) {
        if (error)
            *error = reader.hasError()
                         ? QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber())
                         : QStringLiteral("The file holds no \"Process-List\" element.");
        return false;
    }
    int version = 0;
    if (reader.attributes().hasAttribute(QLatin1String("version")))
        version = reader.attributes().value(QLatin1String("version")).toInt();

    Model::Materials::MaterialIdMap idMap;
    const Model::Materials::MaterialReconciler materials(
        conflictObserver, [](const std::string &message) { qWarning().noquote() << message.c_str(); });

    bool have = advance(reader);
    if (have && reader.name() == materialsTag) {
        while (reader.readNextStartElement()) {
            if (reader.name() == materialTag)
                materials.reconcile(reader, idMap);
            reader.skipCurrentElement();
        }
        have = advance(reader);
    }

    ProcessList steps;
    while (have) {
        if (reader.name() != stepTag) {
            have = advance(reader);
            continue;
        }
        bool typeOk = false;
        int32_t type = reader.attributes().value(QLatin1String("process-type")).toInt(&typeOk);
        if (!typeOk)
            type = -1; // reads as "Unknown process" instead of passing for type 0
        QMap<QString, QVariant> parameters;
        QMap<QString, bool> visibility;
        have = advance(reader);
        while (have && reader.name() == parameterTag) {
            const QXmlStreamAttributes a = reader.attributes();
            const QString name = a.value(QLatin1String("parameter-name")).toString();
            const QString data = a.value(QLatin1String("parameter-data")).toString();
            const QString typeName = a.value(QLatin1String("parameter-type")).toString();
            parameters.insert(name, valueFromText(typeName, data));
            const QStringRef shown = a.value(QLatin1String("parameter-visibility"));
            visibility.insert(name, shown.isEmpty() || shown == QLatin1String("true"));
            have = advance(reader);
        }
        steps.emplace_back(type, std::move(parameters), std::move(visibility), false);
    }
    if (reader.hasError()) {
        if (error)
            *error = QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber());
        return false;
    }

    for (ProcessData &step : steps) {
        if (version < 1)
            migrateVersion0(step);
        translateMaterialIds(step, idMap);
        list.push_back(std::move(step));
    }
    return true;
}

} // namespace BatchRun
} // namespace Core
