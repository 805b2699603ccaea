#pragma once

#include <QString>
#include <functional>
#include <memory>

class QCommandLineParser;

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Cli {

// One kind of file written from the final cell volume after the run, with its options.
class FinalOutput
{
public:
    using WritableCheck = std::function<bool(const QString &, QString *)>;
    using Report = std::function<void(const QString &)>;

    virtual ~FinalOutput() = default;
    virtual void addTo(QCommandLineParser &parser) const = 0;
    // Reads the options after parsing; false with `error` set for a usage error (the
    // output cannot be written there, options that do not go together).
    virtual bool read(const QCommandLineParser &parser, const WritableCheck &checkWritable, QString *error) = 0;
    // Writes what was asked for; every failure is reported and makes the result false (an
    // existing file of that name stays as it was).
    virtual bool write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume, const Report &report) const = 0;
};

} // namespace Cli
