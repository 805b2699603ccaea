#pragma once

#include "cli/finaloutput.h"

#include <QCommandLineOption>

namespace Cli {

// The 3-D export of the final cell volume: --export FILE (.vti image data or .stl
// surface, by suffix) and --per-material (one STL file per material).
class Exports3D : public FinalOutput
{
public:
    Exports3D();
    void addTo(QCommandLineParser &parser) const override;
    // Reads the options after parsing; false with `error` set for a usage error (an
    // unknown suffix, --per-material without an STL export, a file that cannot be
    // written).
    bool read(const QCommandLineParser &parser, const WritableCheck &checkWritable, QString *error) override;
    // Writes what was asked for; a failure is reported and makes the result false.
    bool write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume, const Report &report) const override;

private:
    QCommandLineOption exportOption;
    QCommandLineOption perMaterialOption;
    QString exportPath;
    bool perMaterial = false;
};

} // namespace Cli
