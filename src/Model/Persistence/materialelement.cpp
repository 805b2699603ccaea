#include "Model/Persistence/materialelement.h"

#include "Model/Materials/materialfactory.h"

#include <QXmlStreamWriter>

namespace Model {
namespace Persistence {

namespace {
QString numberText(float value) { return QString::number(static_cast<double>(value), 'g', 6); }
} // namespace

void MaterialElement::write(QXmlStreamWriter &writer, const Materials::Material &m)
{
    writer.writeEmptyElement(QStringLiteral("Material"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("name"), m.name);
    writer.writeAttribute(QStringLiteral("material-id"), QString::number(m.id));
    writer.writeAttribute(QStringLiteral("density"), numberText(m.density));
    writer.writeAttribute(QStringLiteral("poisson-ratio"), numberText(m.poissonRatio));
    writer.writeAttribute(QStringLiteral("young-modulus"), numberText(m.youngModulus));
    writer.writeAttribute(QStringLiteral("color"), Materials::MaterialFactory::colorToString(m.color));
}

} // namespace Persistence
} // namespace Model
