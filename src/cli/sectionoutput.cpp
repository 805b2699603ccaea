#include "cli/sectionoutput.h"

#include "Model/Automaton/totalvolume.h"

#include <QCommandLineParser>

namespace Cli {

using Core::Operations::CrossSectionImage;

SectionOutput::SectionOutput()
    : sectionOption(QStringLiteral("section"),
                    QStringLiteral("Draw a cut through the final cell volume at x=N, y=N or z=N (a cell index "
                                   "from 0); needs --section-image."),
                    QStringLiteral("PLANE")),
      imageOption(QStringLiteral("section-image"),
                  QStringLiteral("Where --section writes its picture: one block of pixels per cell in the "
                                 "material colours, with a scale bar and a legend."),
                  QStringLiteral("FILE.png"))
{
}

void SectionOutput::addTo(QCommandLineParser &parser) const { parser.addOptions({sectionOption, imageOption}); }

bool SectionOutput::read(const QCommandLineParser &parser,
                         const WritableCheck &checkWritable, QString *error)
{
    const bool section = parser.isSet(sectionOption);
    const bool image = parser.isSet(imageOption);
    if (section != image) {
        *error = section ? QStringLiteral("--section needs --section-image FILE.png to say where the picture goes")
                         : QStringLiteral("--section-image needs --section x=N, y=N or z=N to say where to cut");
        return false;
    }
    requested = section;
    if (!requested)
        return true;
    QString reason;
    if (!Core::Operations::SectionPlane::parse(parser.value(sectionOption), &plane, &reason)) {
        *error = QStringLiteral("--section: ") + reason;
        return false;
    }
    imagePath = parser.value(imageOption);
    if (imagePath.isEmpty() || !checkWritable(imagePath, &reason) ||
        !CrossSectionImage::writableFormat(imagePath, &reason)) {
        *error = QStringLiteral("cannot write the section image: ") +
                 (imagePath.isEmpty() ? QStringLiteral("no file name given") : reason);
        return false;
    }
    return true;
}

bool SectionOutput::write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume,
                          const Report &report) const
{
    if (!requested)
        return true;
    QString error = QStringLiteral("there is no cell volume");
    if (volume && CrossSectionImage::fits(*volume, plane, &error) &&
        CrossSectionImage(*volume, plane).save(imagePath, &error))
        return true;
    report(QStringLiteral("cannot write the section image %1: %2").arg(imagePath, error));
    return false;
}

} // namespace Cli
