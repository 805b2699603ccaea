#include "UI/fieldlegend.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QtGui/qopengl.h>
#include <algorithm>

namespace Ui {
namespace {

// Cell volumes whose painters are in the field view, with their colour scales.
class PainterFieldView : public FieldLegend::IFieldQuery
{
public:
    bool fieldRange(const Model::Object &object, float *minimum, float *maximum) const override
    {
        auto *volume = dynamic_cast<const Model::Automaton::TotalVolume *>(&object);
        return volume && volume->getPainter()->fieldRange(minimum, maximum);
    }
    Util::Vector4D scaleColor(const Model::Object &object, int entry) const override
    {
        auto *volume = dynamic_cast<const Model::Automaton::TotalVolume *>(&object);
        if (!volume) {
            const double t = entry / 255.0;
            return {t, t, t, 1.0};
        }
        const auto c = volume->getPainter()->fieldScaleEntry(entry);
        return {c[0], c[1], c[2], c[3]};
    }
};

QColor toQColor(const Util::Vector4D &c)
{
    return QColor::fromRgbF(std::clamp(c.x, 0.0, 1.0), std::clamp(c.y, 0.0, 1.0),
                            std::clamp(c.z, 0.0, 1.0), 1.0);
}

} // namespace

FieldLegend::FieldLegend() : query(std::make_shared<PainterFieldView>()) {}

void FieldLegend::setQuery(std::shared_ptr<IFieldQuery> q)
{
    query = q ? std::move(q) : std::make_shared<PainterFieldView>();
}

bool FieldLegend::update(const std::vector<Model::ObjectPtr> &objects)
{
    visible = false;
    for (const Model::ObjectPtr &object : objects) {
        float low = 0.0f;
        float high = 0.0f;
        if (!object || !query->fieldRange(*object, &low, &high))
            continue;
        if (!visible) {
            minimum = low;
            maximum = high;
            colors.resize(scaleEntries);
            for (int i = 0; i < scaleEntries; ++i)
                colors[static_cast<size_t>(i)] = query->scaleColor(*object, i);
            visible = true;
        } else {
            minimum = std::min(minimum, low);
            maximum = std::max(maximum, high);
        }
    }
    return visible;
}

QString FieldLegend::minimumText() const { return QString::number(minimum, 'e', 6); }
QString FieldLegend::maximumText() const { return QString::number(maximum, 'e', 6); }

void FieldLegend::drawBar(int width, int height, const Util::Vector4D &outlineColour) const
{
    if (!visible || colors.size() != static_cast<size_t>(scaleEntries))
        return;
    const double w = width;
    const double h = height;
    const double left = -0.45 * w;
    const double right = 0.45 * w;
    const double bottom = -0.45 * h;
    const double top = bottom + 20.0;
    // 255 quads between the 256 colours of the scale, shaded from one to the next.
    const int quads = scaleEntries - 1;
    const double step = (right - left) / quads;

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-w / 2.0, w / 2.0, -h / 2.0, h / 2.0, 10.0, -10.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glBegin(GL_QUADS);
    for (int i = 0; i < quads; ++i) {
        const Util::Vector4D &a = colors[static_cast<size_t>(i)];
        const Util::Vector4D &b = colors[static_cast<size_t>(i + 1)];
        const double x0 = left + i * step;
        const double x1 = left + (i + 1) * step;
        glColor4d(a.x, a.y, a.z, 1.0);
        glVertex2d(x0, bottom);
        glColor4d(b.x, b.y, b.z, 1.0);
        glVertex2d(x1, bottom);
        glVertex2d(x1, top);
        glColor4d(a.x, a.y, a.z, 1.0);
        glVertex2d(x0, top);
    }
    glEnd();

    glColor4d(outlineColour.x, outlineColour.y, outlineColour.z, 1.0);
    glBegin(GL_LINE_LOOP);
    glVertex2d(left, bottom);
    glVertex2d(right, bottom);
    glVertex2d(right, top);
    glVertex2d(left, top);
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void FieldLegend::drawTexts(QPainter &painter, int width, int height,
                            const Util::Vector4D &textColour) const
{
    if (!visible)
        return;
    const QString low = minimumText();
    const QString high = maximumText();
    painter.save();
    painter.setFont(QFont(QStringLiteral("Courier New"), 12));
    painter.setPen(toQColor(textColour));
    // Each number is centred under its end of the bar, just below it, and kept inside
    // the widget, so that neither is cut off nor drawn over the bar.
    const QFontMetrics metrics = painter.fontMetrics();
    const int y = std::min(static_cast<int>(0.95 * height) + metrics.ascent() + 2, height - metrics.descent());
    auto place = [&](const QString &text, double at) {
        const int w = metrics.horizontalAdvance(text);
        return std::clamp(static_cast<int>(at * width) - w / 2, 2, std::max(2, width - w - 2));
    };
    painter.drawText(place(low, 0.05), y, low);
    painter.drawText(place(high, 0.95), y, high);
    painter.restore();
}

} // namespace Ui
