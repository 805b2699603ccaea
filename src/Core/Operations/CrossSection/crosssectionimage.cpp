#include "Core/Operations/CrossSection/crosssectionimage.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Util/imagefile.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace Core {
namespace Operations {

namespace {

// Fixed parts of the layout, in pixels; the fonts are sized in pixels to fit them.
constexpr int margin = 24;
constexpr int titleHeight = 40;
constexpr int gutter = 36;        // left of the cells: the vertical axis label
constexpr int axisLabelHeight = 30; // under the cells: the horizontal axis label
constexpr int scaleBarHeight = 46;
constexpr int legendGap = 28;
constexpr int swatch = 16;
constexpr int legendRow = 24;
constexpr int titlePixels = 17;
constexpr int textPixels = 13;

const char *const axisNames[3] = {"x", "y", "z"};

// Pixels per cell along the two axes a picture shows.
struct Blocks
{
    double width;
    double height;
    bool toScale;
};

bool withinLimits(double width, double height)
{
    return width <= CrossSectionImage::maximumSide && height <= CrossSectionImage::maximumSide &&
           width * height <= double(CrossSectionImage::maximumPixels);
}

Blocks blocksFor(double cols, double rows, double unitsAcross, double unitsUp)
{
    // In proportion to the cell sizes, in whole pixels per cell, the long side at least
    // minimumLongSide pixels and every cell at least one pixel.
    const double longSide = std::max({cols * unitsAcross, rows * unitsUp, 1e-30});
    const double smallest = std::min(unitsAcross, unitsUp);
    double pixelsPerUnit = CrossSectionImage::minimumLongSide / longSide;
    if (smallest > 0.0)
        pixelsPerUnit = std::max(pixelsPerUnit, 1.0 / smallest);
    Blocks b{std::max(1.0, std::ceil(pixelsPerUnit * unitsAcross - 1e-9)),
             std::max(1.0, std::ceil(pixelsPerUnit * unitsUp - 1e-9)), true};
    if (std::isfinite(pixelsPerUnit) && withinLimits(cols * b.width, rows * b.height))
        return b;
    // Cells far thinner along one axis (say 1e-5 against 1) would need millions of pixels
    // to be drawn in proportion. Such a picture keeps its usual size along the long side
    // and gives every cell at least one pixel: the thin axis is stretched, and the two
    // scale bars give the lengths along each.
    pixelsPerUnit = CrossSectionImage::minimumLongSide / longSide;
    b.width = std::max(1.0, std::ceil(pixelsPerUnit * unitsAcross - 1e-9));
    b.height = std::max(1.0, std::ceil(pixelsPerUnit * unitsUp - 1e-9));
    if (!std::isfinite(b.width) || !std::isfinite(b.height))
        b.width = b.height = 1.0;
    b.toScale = false;
    return b;
}

// The axis shown left to right and the one shown bottom to top: a cut across x or y is
// seen from the side (z up), a cut across z from above (y up).
int acrossOf(int axis) { return axis == 0 ? 1 : 0; }
int upOf(int axis) { return axis == 2 ? 1 : 2; }

float cellSizeAlong(const Model::Automaton::TotalVolume &volume, int axis)
{
    return axis == 0 ? volume.getCellSizeX() : (axis == 1 ? volume.getCellSizeY() : volume.getCellSizeZ());
}

QFont font(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QRgb opaque(const float color[4])
{
    auto channel = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return qRgb(channel(color[0]), channel(color[1]), channel(color[2]));
}

QString lengthText(double units)
{
    return QString::number(units, 'g', 6) + (units == 1.0 ? QStringLiteral(" unit") : QStringLiteral(" units"));
}

// A bar of `pixels` with end ticks and `label` under or beside it.
void drawHorizontalBar(QPainter &p, int left, int top, int pixels, const QString &label)
{
    p.fillRect(left, top + 4, pixels, 5, Qt::black);
    p.fillRect(left, top, 2, 13, Qt::black);
    p.fillRect(left + pixels - 2, top, 2, 13, Qt::black);
    p.setFont(font(textPixels));
    p.drawText(QRect(left, top + 15, std::max(pixels, 200), 20), Qt::AlignLeft | Qt::AlignVCenter, label);
}

void drawVerticalBar(QPainter &p, int left, int top, int pixels, const QString &label)
{
    p.fillRect(left + 4, top, 5, pixels, Qt::black);
    p.fillRect(left, top, 13, 2, Qt::black);
    p.fillRect(left, top + pixels - 2, 13, 2, Qt::black);
    p.setFont(font(textPixels));
    p.drawText(QRect(left + 20, top, 240, pixels), Qt::AlignLeft | Qt::AlignVCenter, label);
}

} // namespace

const QRgb CrossSectionImage::pageColor = qRgb(255, 255, 255);
const QRgb CrossSectionImage::emptyColor = qRgb(232, 236, 240);

QString SectionPlane::axisName() const { return QString::fromLatin1(axisNames[axis]); }

QString SectionPlane::text() const { return axisName() + QStringLiteral(" = ") + QString::number(index); }

bool SectionPlane::parse(const QString &text, SectionPlane *plane, QString *error)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([xyzXYZ])\\s*=\\s*(\\d+)\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    bool ok = false;
    const uint index = match.hasMatch() ? match.captured(2).toUInt(&ok) : 0;
    if (!ok) {
        *error = QStringLiteral("the plane must be x=N, y=N or z=N with N a cell index of 0 or more, not '%1'")
                     .arg(text);
        return false;
    }
    plane->axis = match.captured(1).toLower().at(0).unicode() - 'x';
    plane->index = index;
    return true;
}

uint32_t CrossSectionImage::cellsAlong(const Model::Automaton::TotalVolume &volume, int axis)
{
    return axis == 0 ? volume.getSizeX() : (axis == 1 ? volume.getSizeY() : volume.getSizeZ());
}

bool CrossSectionImage::fits(const Model::Automaton::TotalVolume &volume, const SectionPlane &plane, QString *error)
{
    const uint32_t count = cellsAlong(volume, plane.axis);
    if (plane.index >= count) {
        *error = QStringLiteral("the plane %1 lies outside the cell volume, whose %2 runs from 0 to %3")
                     .arg(plane.text(), plane.axisName())
                     .arg(static_cast<qulonglong>(count) - 1);
        return false;
    }
    const int across = acrossOf(plane.axis);
    const int up = upOf(plane.axis);
    const double cols = cellsAlong(volume, across);
    const double rows = cellsAlong(volume, up);
    const Blocks b = blocksFor(cols, rows, cellSizeAlong(volume, across), cellSizeAlong(volume, up));
    if (withinLimits(cols * b.width, rows * b.height))
        return true;
    *error = QStringLiteral("a picture of the cut at %1 (%2 x %3 cells) would need %4 x %5 pixels for its cells, "
                            "more than the %6 pixels a side and %7 megapixels a picture may have")
                 .arg(plane.text())
                 .arg(static_cast<qulonglong>(cols))
                 .arg(static_cast<qulonglong>(rows))
                 .arg(cols * b.width, 0, 'f', 0)
                 .arg(rows * b.height, 0, 'f', 0)
                 .arg(maximumSide)
                 .arg(maximumPixels >> 20);
    return false;
}

double CrossSectionImage::roundLength(double upTo)
{
    if (!(upTo > 0.0) || !std::isfinite(upTo))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(upTo)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= upTo * (1.0 + 1e-9))
            return step * power;
    return power;
}

CrossSectionImage::CrossSectionImage(Model::Automaton::TotalVolume &volume, const SectionPlane &plane)
    : plane(plane)
{
    across = acrossOf(plane.axis);
    up = upOf(plane.axis);
    unitsAcross = cellSizeAlong(volume, across);
    unitsUp = cellSizeAlong(volume, up);
    cols = static_cast<int>(cellsAlong(volume, across));
    rowCount = static_cast<int>(cellsAlong(volume, up));

    const Blocks b = blocksFor(cols, rowCount, unitsAcross, unitsUp);
    proportional = b.toScale;
    if (withinLimits(cols * b.width, rowCount * b.height)) {
        blockW = static_cast<int>(b.width);
        blockH = static_cast<int>(b.height);
    }
    // About a fifth of the picture's width.
    scaleLength = roundLength(cols * unitsAcross / 5.0);

    ids.resize(static_cast<size_t>(cols) * static_cast<size_t>(rowCount));
    if (plane.index >= cellsAlong(volume, plane.axis))
        return;
    Model::Automaton::VoxelLock lock(volume);
    uint32_t cell[3];
    cell[plane.axis] = plane.index;
    for (int row = 0; row < rowCount; ++row) {
        cell[up] = static_cast<uint32_t>(rowCount - 1 - row);
        uint32_t *line = ids.data() + static_cast<size_t>(row) * static_cast<size_t>(cols);
        for (int col = 0; col < cols; ++col) {
            cell[across] = static_cast<uint32_t>(col);
            line[col] = lock[volume.index(cell[0], cell[1], cell[2])].getMaterialId();
        }
    }
}

int CrossSectionImage::cellAreaLeft() const { return margin + gutter; }

int CrossSectionImage::cellAreaTop() const { return margin + titleHeight; }

QImage CrossSectionImage::render() const
{
    // The legend: the materials of the cut in id order, the empty cells first.
    // A cut holds few materials in long runs: one pass, comparing only where the id changes.
    std::vector<uint32_t> present;
    for (size_t i = 0; i < ids.size(); ++i)
        if ((i == 0 || ids[i] != ids[i - 1]) && std::find(present.begin(), present.end(), ids[i]) == present.end())
            present.push_back(ids[i]);
    std::sort(present.begin(), present.end());
    std::map<uint32_t, QRgb> colors;
    std::vector<std::pair<QRgb, QString>> legend;
    const auto catalogue = Model::Materials::MaterialFactory::instance();
    for (const uint32_t id : present) {
        if (id == 0) {
            colors[id] = emptyColor;
            legend.emplace_back(emptyColor, QStringLiteral("Empty"));
            continue;
        }
        const Model::Materials::Material m = catalogue->getMaterial(id);
        const bool known = m.id == id;
        const QRgb color = known ? opaque(m.color) : opaque(Model::Automaton::TotalVolumePainter::missingMaterialColor.data());
        colors[id] = color;
        legend.emplace_back(color, known ? m.name : QStringLiteral("Material %1 (not in the catalogue)").arg(id));
    }

    const QFont text = font(textPixels);
    const QFontMetrics metrics(text);
    int legendWidth = 0;
    for (const auto &entry : legend)
        legendWidth = std::max(legendWidth, swatch + 8 + metrics.horizontalAdvance(entry.second));
    int legendHeight = static_cast<int>(legend.size()) * legendRow;

    // Cells that are not square get a second bar for the vertical scale, under the legend.
    const double pixelsAcross = blockW / unitsAcross;
    const double pixelsUp = blockH / unitsUp;
    const bool twoScales = std::abs(pixelsAcross - pixelsUp) > 0.01 * pixelsAcross;
    double upLength = 0.0;
    if (twoScales) {
        upLength = roundLength(rowCount * unitsUp / 3.0);
        const QString label = lengthText(upLength);
        legendWidth = std::max(legendWidth, 20 + metrics.horizontalAdvance(label));
        legendHeight += 16 + static_cast<int>(std::lround(upLength * pixelsUp));
    }

    const int cellsWidth = cols * blockW;
    const int cellsHeight = rowCount * blockH;
    const int left = cellAreaLeft();
    const int top = cellAreaTop();
    const QString title = QStringLiteral("Cross-section at %1").arg(plane.text()) +
                          (proportional ? QString() : QStringLiteral(" (not to scale)"));
    const int titleWidth = QFontMetrics(font(titlePixels, true)).horizontalAdvance(title);
    const int width = std::max(left + cellsWidth + legendGap + legendWidth + margin, left + titleWidth + margin);
    const int height = top + std::max(cellsHeight, legendHeight) + axisLabelHeight + scaleBarHeight + margin;

    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image; // more pixels than an image can hold
    image.fill(pageColor);

    // The cells: one row of pixels per row of cells, copied down the block.
    std::vector<QRgb> line(static_cast<size_t>(cellsWidth));
    uint32_t lastId = ids.empty() ? 0 : ids.front() + 1;
    QRgb lastColor = 0;
    for (int row = 0; row < rowCount; ++row) {
        const uint32_t *cell = ids.data() + static_cast<size_t>(row) * static_cast<size_t>(cols);
        QRgb *out = line.data();
        for (int col = 0; col < cols; ++col) {
            if (cell[col] != lastId) {
                lastId = cell[col];
                lastColor = colors[lastId];
            }
            std::fill(out, out + blockW, lastColor);
            out += blockW;
        }
        for (int y = 0; y < blockH; ++y) {
            auto *target = reinterpret_cast<QRgb *>(image.scanLine(top + row * blockH + y)) + left;
            std::memcpy(target, line.data(), line.size() * sizeof(QRgb));
        }
    }

    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QColor(60, 60, 60));
    p.drawRect(left - 1, top - 1, cellsWidth + 1, cellsHeight + 1);

    p.setPen(Qt::black);
    p.setFont(font(titlePixels, true));
    p.drawText(QRect(left, margin, width - left - margin, titleHeight - 8), Qt::AlignLeft | Qt::AlignVCenter, title);

    // Which plane the picture shows: the horizontal axis under it, the vertical one to
    // its left, each with the range of cells.
    p.setFont(text);
    const QString acrossLabel = QStringLiteral("%1 (cells 0 to %2) \u2192").arg(QLatin1String(axisNames[across])).arg(cols - 1);
    const QString upLabel = QStringLiteral("%1 (cells 0 to %2) \u2192").arg(QLatin1String(axisNames[up])).arg(rowCount - 1);
    p.drawText(QRect(left, top + cellsHeight + 4, std::max(cellsWidth, 260), axisLabelHeight - 4),
               Qt::AlignLeft | Qt::AlignVCenter, acrossLabel);
    p.save();
    p.translate(margin, top + cellsHeight);
    p.rotate(-90);
    p.drawText(QRect(0, 0, std::max(cellsHeight, 260), gutter - 8), Qt::AlignLeft | Qt::AlignVCenter, upLabel);
    p.restore();

    const int barPixels = static_cast<int>(std::lround(scaleLength * pixelsAcross));
    drawHorizontalBar(p, left, top + cellsHeight + axisLabelHeight + 4, barPixels, lengthText(scaleLength));

    const int legendLeft = left + cellsWidth + legendGap;
    int y = top;
    for (const auto &entry : legend) {
        p.fillRect(legendLeft, y + (legendRow - swatch) / 2, swatch, swatch, QColor(entry.first));
        p.setPen(QColor(60, 60, 60));
        p.drawRect(legendLeft, y + (legendRow - swatch) / 2, swatch - 1, swatch - 1);
        p.setPen(Qt::black);
        p.drawText(QRect(legendLeft + swatch + 8, y, legendWidth, legendRow), Qt::AlignLeft | Qt::AlignVCenter,
                   entry.second);
        y += legendRow;
    }
    if (twoScales)
        drawVerticalBar(p, legendLeft, y + 16, static_cast<int>(std::lround(upLength * pixelsUp)),
                        lengthText(upLength) + QStringLiteral(" (") + QLatin1String(axisNames[up]) +
                            QLatin1Char(')'));
    p.end();
    return image;
}

bool CrossSectionImage::writableFormat(const QString &fileName, QString *error)
{
    const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    if (suffix.isEmpty() || QImageWriter::supportedImageFormats().contains(suffix))
        return true;
    *error = QStringLiteral("pictures cannot be written as .%1 (use .png)").arg(QString::fromLatin1(suffix));
    return false;
}

bool CrossSectionImage::save(const QString &fileName, QString *error) const
{
    if (!writableFormat(fileName, error))
        return false;
    QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
    if (format.isEmpty())
        format = "png";
    if (!withinLimits(double(cols) * blockW, double(rowCount) * blockH)) {
        *error = QStringLiteral("a picture of %1 x %2 cells is too large to be made").arg(cols).arg(rowCount);
        return false;
    }
    const QImage image = render();
    if (image.isNull()) {
        *error = QStringLiteral("a picture of %1 x %2 cells is too large to be made").arg(cols).arg(rowCount);
        return false;
    }
    return Util::saveImageFile(image, fileName, error, format);
}

} // namespace Operations
} // namespace Core
