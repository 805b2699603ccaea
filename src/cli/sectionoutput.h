#pragma once

#include "Core/Operations/CrossSection/crosssectionimage.h"
#include "cli/finaloutput.h"

#include <QCommandLineOption>

namespace Cli {

// --section x=N|y=N|z=N with --section-image FILE.png: a picture of one layer of cells
// of the final cell volume (see CrossSectionImage).
class SectionOutput : public FinalOutput
{
public:
    SectionOutput();
    void addTo(QCommandLineParser &parser) const override;
    // Reads the options after parsing; false with `error` set for a usage error (a plane
    // that is not x=N, y=N or z=N, one option without the other, a picture that cannot be
    // written there or in that format).
    bool read(const QCommandLineParser &parser, const WritableCheck &checkWritable, QString *error) override;
    // Writes the picture when one was asked for; a plane outside the volume, no volume or
    // a failed write is reported and makes the result false (an existing file stays).
    bool write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume, const Report &report) const override;

private:
    QCommandLineOption sectionOption;
    QCommandLineOption imageOption;
    bool requested = false;
    Core::Operations::SectionPlane plane;
    QString imagePath;
};

} // namespace Cli
