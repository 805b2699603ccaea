#include "Model/Materials/materialfactory.h"
#include "Util/filebackup.h"
#include "Util/nulbytes.h"
#include "Util/startupnotices.h"
#include "Util/savefilecommit.h"

#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <QtDebug>
#include <QtGlobal>
#include <iterator>
#include <mutex>

namespace Model {
namespace Materials {

namespace {

Material makeMaterial(uint32_t id, const char *name, float density, float young, float poisson,
                      float r, float g, float b, float a)
{
    Material m;
    m.id = id;
    m.name = QString::fromUtf8(name);
    m.density = density;
    m.youngModulus = young;
    m.poissonRatio = poisson;
    m.color[0] = r;
    m.color[1] = g;
    m.color[2] = b;
    m.color[3] = a;
    return m;
}

QString numberText(float value) { return QString::number(static_cast<double>(value), 'g', 6); }

QString hexByte(float component)
{
    // int(component * 255), truncated, then clamped so that the text stays two digits.
    int v = static_cast<int>(component * 255.0f);
    v = qBound(0, v, 255);
    return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
}

// The toolkit's generator (qrand, per-thread seed as Qt keeps it), seeded from the clock
// on a thread's first draw so that new ids differ from one session to the next. qrand is
// deprecated in Qt 5.15, but the ids it draws are part of how catalogues behave, so it
// stays.
int toolkitRandom()
{
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    static thread_local bool seeded = false;
    if (!seeded) {
        qsrand(static_cast<uint>(QDateTime::currentSecsSinceEpoch()));
        seeded = true;
    }
    return qrand();
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

} // namespace

std::shared_ptr<MaterialFactory> MaterialFactory::instance()
{
    // Function-local static: created once, thread-safely, on first use (the GUI's main()
    // calls this before any window exists).
    static const std::shared_ptr<MaterialFactory> factory = [] {
        std::shared_ptr<MaterialFactory> f(new MaterialFactory());
        f->startUp();
        return f;
    }();
    return factory;
}

void MaterialFactory::startUp()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        materials.clear();
    }
    if (!loadMaterials()) {
        // A file that is there but cannot be read is kept aside before the built-ins
        // replace it, and the user hears of it; a missing file is simply a first start.
        const bool existed = QFileInfo::exists(filePath());
        const QString backup = Util::keepBackup(filePath());
        installBuiltIns();
        saveMaterials();
        if (existed)
            Util::addStartUpNotice(Util::replacedFileNotice(QStringLiteral("material catalogue"), filePath(), backup,
                                                          QStringLiteral("the built-in materials")));
    }
}

std::vector<Material> MaterialFactory::getMaterials() const
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Material> result;
    result.reserve(static_cast<size_t>(materials.size()));
    for (auto it = materials.cbegin(); it != materials.cend(); ++it)
        result.push_back(it.value());
    return result;
}

Material MaterialFactory::getMaterial(uint32_t id) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return getMaterialUnlocked(id);
}

Material MaterialFactory::getMaterialUnlocked(uint32_t id) const
{
    const auto it = materials.constFind(id);
    return it == materials.cend() ? Material::empty() : it.value();
}

Material MaterialFactory::getMaterialByName(const QString &name) const
{
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = materials.cbegin(); it != materials.cend(); ++it)
        if (it.value().name == name)
            return it.value();
    return Material::empty();
}

bool MaterialFactory::setMaterial(const Material &material)
{
    std::lock_guard<std::mutex> lock(mutex);
    return setMaterialUnlocked(material);
}

bool MaterialFactory::setMaterialUnlocked(const Material &material)
{
    if (material.id == 0)
        return false;
    materials.insert(material.id, material);
    return true;
}

uint32_t MaterialFactory::generateUniqueMaterialId() const
{
    std::lock_guard<std::mutex> lock(mutex);
    // Guard against an endless loop when every id of 2000..32766 is taken (never in
    // practice): 0 is returned then, which setMaterial() refuses.
    const auto taken = std::distance(materials.lowerBound(2000u), materials.upperBound(32766u));
    if (taken >= 32766 - 2000 + 1) {
        qWarning() << "MaterialFactory: no free material id left in 2000..32766";
        return 0;
    }
    for (;;) {
        const uint32_t id = idFromRandom(toolkitRandom());
        if (!materials.contains(id))
            return id;
    }
}

uint32_t MaterialFactory::idFromRandom(int random)
{
    // r in 0..32767. Qt's qrand() yields 0..RAND_MAX; where RAND_MAX is larger than
    // 32767 (glibc) only the low 15 bits are used, which is the identity on platforms
    // whose RAND_MAX is 32767.
    const int32_t r = static_cast<int32_t>(static_cast<uint32_t>(random) & 0x7FFFu);
    const int32_t product = r * 30767; // at most 1008141889, fits in 32 bits
    const float scaled = static_cast<float>(product) * (1.0f / 32768.0f);
    return static_cast<uint32_t>(scaled) + 2000u;
}

bool MaterialFactory::loadMaterials()
{
    std::lock_guard<std::mutex> lock(mutex);
    QFile file(filePath());
    if (!file.exists())
        return false; // first start: nothing to read, the built-ins follow
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning() << "MaterialFactory: cannot open" << file.fileName() << ":" << file.errorString();
        return false;
    }
    const qint64 nul = Util::firstNulByte(file);
    if (nul >= 0) {
        qWarning().noquote() << "MaterialFactory: cannot read" << file.fileName() << ":" << Util::nulByteMessage(nul);
        return false;
    }
    QXmlStreamReader reader(&file);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("Materials")) {
        if (reader.hasError())
            qWarning() << "MaterialFactory: error reading" << file.fileName() << ":"
                       << reader.errorString();
        else
            qWarning() << "MaterialFactory:" << file.fileName()
                       << "does not start with a \"Materials\" element";
        return false;
    }
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("Material")) {
            Material m;
            if (readMaterialElement(reader, &m))
                setMaterialUnlocked(m);
        }
    }
    if (reader.hasError()) {
        qWarning() << "MaterialFactory: error reading" << file.fileName() << ":"
                   << reader.errorString();
        return false;
    }
    return true;
}

bool MaterialFactory::saveMaterials(QString *error) const
{
    std::lock_guard<std::mutex> lock(mutex);
    const QString path = filePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qWarning() << "MaterialFactory: cannot create the folder" << folder;
        if (error)
            *error = QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qWarning() << "MaterialFactory: cannot write" << path << ":" << file.errorString();
        if (error)
            *error = file.errorString();
        return false;
    }
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(true);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeStartElement(QStringLiteral("Materials"));
    for (auto it = materials.cbegin(); it != materials.cend(); ++it) {
        const Material &m = it.value();
        writer.writeEmptyElement(QStringLiteral("Material"));
        writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
        writer.writeAttribute(QStringLiteral("name"), m.name);
        writer.writeAttribute(QStringLiteral("material-id"), QString::number(m.id));
        writer.writeAttribute(QStringLiteral("density"), numberText(m.density));
        writer.writeAttribute(QStringLiteral("poisson-ratio"), numberText(m.poissonRatio));
        writer.writeAttribute(QStringLiteral("young-modulus"), numberText(m.youngModulus));
        writer.writeAttribute(QStringLiteral("color"), colorToString(m.color));
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    if (writer.hasError()) {
        qWarning() << "MaterialFactory: error writing" << path << ":" << file.errorString();
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    QString reason;
    if (!Util::flushAndCommit(file, &reason)) {
        qWarning() << "MaterialFactory: cannot save" << path << ":" << reason;
        if (error)
            *error = reason;
        return false;
    }
    return true;
}

void MaterialFactory::resetToBuiltIns()
{
    std::lock_guard<std::mutex> lock(mutex);
    materials.clear();
    for (const Material &m : builtInMaterials())
        setMaterialUnlocked(m);
}

void MaterialFactory::installBuiltIns()
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const Material &m : builtInMaterials())
        setMaterialUnlocked(m);
}

std::vector<Material> MaterialFactory::builtInMaterials()
{
    return {
        makeMaterial(1, "Si", 2329.0f, 1.88e11f, 0.28f, 0.5f, 0.5f, 0.5f, 1.0f),
        makeMaterial(3, "Thermal Si02", 2200.0f, 7e10f, 0.17f, 0.5f, 0.5f, 1.0f, 1.0f),
        makeMaterial(4, "Al (bulk)", 2700.0f, 7e10f, 0.14f, 0.7f, 0.7f, 0.7f, 1.0f),
        makeMaterial(5, "Cu (bulk)", 8960.0f, 1.28e11f, 0.36f, 1.0f, 0.8f, 0.3f, 1.0f),
        makeMaterial(6, "Cr (bulk)", 7190.0f, 2.79e11f, 0.21f, 0.8f, 0.8f, 0.8f, 1.0f),
        makeMaterial(7, "Ni (bulk)", 8908.0f, 2e11f, 0.31f, 0.8f, 0.9f, 0.8f, 1.0f),
        makeMaterial(8, "Pt (bulk)", 21450.0f, 1.68e11f, 0.38f, 0.9f, 0.9f, 0.8f, 1.0f),
        makeMaterial(9, "Au (bulk)", 19300.0f, 7.9e10f, 0.44f, 0.5f, 1.0f, 0.5f, 1.0f),
        makeMaterial(10, "Ti (bulk)", 4506.0f, 1.16e11f, 0.32f, 0.3f, 0.3f, 0.3f, 1.0f),
        makeMaterial(11, "Photoresist +", 1000.0f, 1e9f, 0.4f, 1.0f, 0.5f, 0.5f, 1.0f),
        makeMaterial(12, "Photoresist -", 1000.0f, 1e9f, 0.4f, 1.0f, 0.3f, 1.0f, 1.0f),
        makeMaterial(13, "PDMS", 1000.0f, 1e9f, 0.4f, 1.0f, 1.0f, 1.0f, 1.0f),
        makeMaterial(14, "N-doped Si (100)", 2329.0f, 1.88e11f, 0.28f, 1.0f, 1.0f, 0.67f, 1.0f),
        makeMaterial(15, "P-doped Si (100)", 2329.0f, 1.88e11f, 0.28f, 0.67f, 0.67f, 1.0f, 1.0f),
        makeMaterial(16, "Poly-Si", 2329.0f, 1.88e11f, 0.28f, 0.3f, 0.5f, 0.4f, 1.0f),
    };
}

QString MaterialFactory::filePath()
{
    return QDir::homePath() + QStringLiteral("/Kelvane/materials.xml");
}

bool MaterialFactory::readMaterialElement(const QXmlStreamReader &reader, Material *material)
{
    // Absent (or unparsable) density, Poisson's ratio and Young's modulus are 0; an absent
    // or unparsable colour is the empty material's colour (0.5, 0.5, 0.5, 1).
    Material m;
    m.name.clear();
    for (const QXmlStreamAttribute &attribute : reader.attributes()) {
        const QStringRef name = attribute.name();
        const QStringRef value = attribute.value();
        if (name == QLatin1String("name")) {
            m.name = value.toString();
        } else if (name == QLatin1String("material-id")) {
            bool ok = false;
            const uint id = value.toUInt(&ok);
            m.id = ok ? static_cast<uint32_t>(id) : 0;
        } else if (name == QLatin1String("density")) {
            m.density = value.toFloat();
        } else if (name == QLatin1String("poisson-ratio")) {
            m.poissonRatio = value.toFloat();
        } else if (name == QLatin1String("young-modulus")) {
            m.youngModulus = value.toFloat();
        } else if (name == QLatin1String("color")) {
            QColor c;
            c.setNamedColor(value.toString());
            if (c.isValid()) {
                m.color[0] = static_cast<float>(c.redF());
                m.color[1] = static_cast<float>(c.greenF());
                m.color[2] = static_cast<float>(c.blueF());
                m.color[3] = static_cast<float>(c.alphaF());
            }
        }
    }
    if (material)
        *material = m;
    return m.id != 0 && !m.name.isEmpty();
}

QString MaterialFactory::colorToString(const float color[4])
{
    return QStringLiteral("#") + hexByte(color[3]) + hexByte(color[0]) + hexByte(color[1]) +
           hexByte(color[2]);
}

} // namespace Materials
} // namespace Model
