#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

class QTextStream;

namespace Core {
namespace Operations {

// Writes a named data field of a cell volume as a text table: one block per x layer
// ("X: x"), one line per y, each z value followed by " ; ". The only fields known are
// the two random-walk particle-count fields.
class CSVDataExporter
{
public:
    explicit CSVDataExporter(const QString &fileName);

    // 0 on success; -1 when the file cannot be written or `name` is not a particle-count
    // field (or has no counts). The file is replaced only when the whole table was
    // written, so a failure leaves an existing file as it was.
    int saveDataToFile(const QString &name, const int32_t *counts, uint32_t sizeX, uint32_t sizeY,
                       uint32_t sizeZ);
    // The table of a particle-count field (seven slots per cell, summed as unsigned
    // 32-bit counts) in scientific notation with 10 digits; returns 0.
    static int saveParticleData(QTextStream &stream, const int32_t *counts, uint32_t sizeX, uint32_t sizeY,
                                uint32_t sizeZ);

    // Writes `value` as the table writes a count (a real number in scientific notation
    // with 10 digits, e.g. 1.2000000000e+01) to `out`, which holds scientificWidth
    // characters; returns the number of characters.
    static constexpr size_t scientificWidth = 16;
    static size_t formatScientific(uint32_t value, char *out);

    // Why the last saveDataToFile failed; empty after a success.
    QString errorString() const { return error; }

private:
    QString fileName;
    QString error;
};

} // namespace Operations
} // namespace Core
