#pragma once

#include "Model/object.h"
#include "Util/vector4d.h"

#include <QString>
#include <memory>
#include <vector>

class QPainter;

namespace Ui {

// The colour bar shown under the scene while cell volumes are drawn as particle-count
// fields: the common range of those volumes and the colour scale of the first of them.
class FieldLegend
{
public:
    // What the legend asks of the scene's objects.
    class IFieldQuery
    {
    public:
        virtual ~IFieldQuery() = default;
        // True when the object is drawn as a field; then its range is stored.
        virtual bool fieldRange(const Model::Object &object, float *minimum, float *maximum) const = 0;
        // Entry 0..255 of the colour scale the object's field is drawn with.
        virtual Util::Vector4D scaleColor(const Model::Object &object, int entry) const = 0;
    };

    static constexpr int scaleEntries = 256;

    FieldLegend();

    // The default query asks the cell volumes' painters.
    void setQuery(std::shared_ptr<IFieldQuery> q);

    // Collects the range over the objects drawn as fields. Returns whether any is.
    bool update(const std::vector<Model::ObjectPtr> &objects);
    bool isVisible() const { return visible; }
    float getMinimum() const { return minimum; }
    float getMaximum() const { return maximum; }
    const std::vector<Util::Vector4D> &getColors() const { return colors; }

    // The two numbers as written under the bar.
    QString minimumText() const;
    QString maximumText() const;

    // The bar in a projection of the widget's pixel size; lighting and depth test off
    // while it is drawn. Needs a current context.
    void drawBar(int width, int height, const Util::Vector4D &outlineColour) const;
    // The two numbers, with a painter open on the widget.
    void drawTexts(QPainter &painter, int width, int height, const Util::Vector4D &textColour) const;

private:
    std::shared_ptr<IFieldQuery> query;
    bool visible = false;
    float minimum = 0.0f;
    float maximum = 1.0f;
    std::vector<Util::Vector4D> colors;
};

} // namespace Ui
