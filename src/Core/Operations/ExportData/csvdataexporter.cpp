#include "Core/Operations/ExportData/csvdataexporter.h"

#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Model/Automaton/totalvolume.h"

#include <QDebug>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>

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
        QTextStream stream(&file);
        result = saveParticleData(stream, counts, sizeX, sizeY, sizeZ);
        stream.flush();
        if (stream.status() != QTextStream::Ok || !file.commit()) {
            error = file.errorString();
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
    const QString separator = QStringLiteral(" ; ");
    for (uint32_t x = 0; x < sizeX; ++x) {
        stream << "X: " << x << '\n';
        for (uint32_t y = 0; y < sizeY; ++y) {
            const int32_t *cell = counts + (static_cast<size_t>(x) * sizeY + y) * sizeZ * slotCount;
            for (uint32_t z = 0; z < sizeZ; ++z, cell += slotCount) {
                uint32_t sum = 0;
                for (size_t s = 0; s < slotCount; ++s)
                    sum += static_cast<uint32_t>(cell[s]);
                stream << static_cast<double>(sum) << separator;
            }
            stream << '\n';
        }
        stream << "\n\n";
    }
    qDebug() << "Done writing to stream.";
    return 0;
}

} // namespace Operations
} // namespace Core
