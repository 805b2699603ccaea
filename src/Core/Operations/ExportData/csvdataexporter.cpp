#include "Core/Operations/ExportData/csvdataexporter.h"

#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/savefilecommit.h"

#include <QDebug>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>
#include <string>

namespace Core {
namespace Operations {

CSVDataExporter::CSVDataExporter(const QString &fileName) : fileName(fileName)
{
    qDebug() << "Opening file";
}

int CSVDataExporter::saveDataToFile(const QString &name, const int32_t *counts, uint32_t sizeX, uint32_t sizeY,
                                    uint32_t sizeZ)
{
    error.clear();
    // Written beside the target and renamed over it on commit: an old file survives any
    // failure untouched.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        error = file.errorString();
        qDebug() << "Done";
        return -1;
    }
    qDebug() << "File is open";
    int result = -1;
    if ((name == RandomWalkDoping::fieldNameP || name == RandomWalkDoping::fieldNameN) && counts) {
        qDebug() << "Data type is one of the expected values";
        errno = 0;
        QTextStream stream(&file);
        result = saveParticleData(stream, counts, sizeX, sizeY, sizeZ);
        stream.flush();
        if (stream.status() != QTextStream::Ok) {
            error = Util::writeFailure(file);
            result = -1;
        } else if (!Util::flushAndCommit(file, &error)) {
            result = -1;
        }
    } else {
        qDebug() << "Unexpected data type";
        error = QStringLiteral("\"%1\" holds no particle counts").arg(name);
    }
    if (result != 0)
        file.cancelWriting();
    qDebug() << "Done";
    return result;
}

int CSVDataExporter::saveParticleData(QTextStream &stream, const int32_t *counts, uint32_t sizeX, uint32_t sizeY,
                                      uint32_t sizeZ)
{
    constexpr size_t slotCount = Model::Automaton::TotalVolume::particleFieldSlots;
    // A decimal point whatever the user's locale; layer numbers without group separators.
    QLocale english(QLocale::English, QLocale::UnitedStates);
    english.setNumberOptions(QLocale::OmitGroupSeparator);
    stream.setLocale(english);
    stream.setRealNumberNotation(QTextStream::ScientificNotation);
    stream.setRealNumberPrecision(10);
    qDebug() << "Writing to stream";
    // Each line is formatted into one buffer and handed over whole: formatting a million
    // numbers one by one through the stream took most of the time of a large export.
    std::string line;
    line.reserve(static_cast<size_t>(sizeZ) * scientificWidth + 1);
    char number[scientificWidth];
    for (uint32_t x = 0; x < sizeX; ++x) {
        stream << "X: " << x << '\n';
        for (uint32_t y = 0; y < sizeY; ++y) {
            const int32_t *cell = counts + (static_cast<size_t>(x) * sizeY + y) * sizeZ * slotCount;
            line.clear();
            for (uint32_t z = 0; z < sizeZ; ++z, cell += slotCount) {
                uint32_t sum = 0;
                for (size_t s = 0; s < slotCount; ++s)
                    sum += static_cast<uint32_t>(cell[s]);
                line.append(number, formatScientific(sum, number));
                line.append(" ; ", 3);
            }
            line.push_back('\n');
            stream << QLatin1String(line.data(), static_cast<int>(line.size()));
        }
        stream << "\n\n";
    }
    qDebug() << "Done writing to stream.";
    return 0;
}

size_t CSVDataExporter::formatScientific(uint32_t value, char *out)
{
    // Any 32-bit count has at most 10 digits, all of which the 11 significant digits of
    // the format keep: the first digit, the point, the others padded with zeros to 10
    // places, and the exponent, which is below 10.
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    size_t n = 0;
    out[n++] = digits[count - 1];
    out[n++] = '.';
    for (int i = count - 2; i >= 0; --i)
        out[n++] = digits[i];
    for (int i = count - 1; i < 10; ++i)
        out[n++] = '0';
    out[n++] = 'e';
    out[n++] = '+';
    out[n++] = '0';
    out[n++] = static_cast<char>('0' + count - 1);
    return n;
}

} // namespace Operations
} // namespace Core
