#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// The records of a GDSII stream file, read from a byte buffer: the library's units and
// its structures with their boundaries, paths, boxes and references. Text, nodes and
// properties are skipped. Every record length and count is checked against the buffer
// and against what the record type allows; a file that breaks the format gives an error
// naming the record and its byte offset, never an abort.
class GdsStream
{
public:
    // How a path's ends lie (its PATHTYPE): flush with the end points, round, out by
    // half the width, or out by the path's own extensions. Other numbers in a file
    // draw flush ends.
    enum class PathType { Flush = 0, Round = 1, HalfWidth = 2, Extended = 4 };

    struct Element
    {
        enum Kind { Boundary, Path, Box, StructureRef, ArrayRef };
        Kind kind = Boundary;
        size_t offset = 0; // of the element's first record, for messages
        int layer = 0;
        int datatype = 0; // BOXTYPE for a box
        PathType pathType = PathType::Flush;
        int32_t width = 0; // negative: absolute, not magnified
        int32_t beginExtension = 0;
        int32_t endExtension = 0;
        std::vector<int32_t> xy; // x0, y0, x1, y1, ... in database units
        // References: the structure by name and, once resolved, by index into structures().
        QByteArray structureName;
        int structure = -1;
        bool reflect = false; // about the x axis, before the rotation
        double magnification = 1.0;
        double angle = 0.0; // degrees, counter-clockwise
        int columns = 1;
        int rows = 1;
    };

    struct Structure
    {
        QByteArray name;
        size_t offset = 0;
        std::vector<Element> elements;
    };

    // False with the reason in `error` for bytes that are not a well-formed stream.
    bool parse(const QByteArray &bytes, QString *error);

    // Size of a database unit in metres.
    double metresPerUnit() const { return unitMetres; }
    const std::vector<Structure> &structures() const { return structs; }
    std::vector<Structure> &structures() { return structs; }

    // IEEE double from the format's 8-byte excess-64 base-16 real.
    static double real8(const unsigned char *bytes);

    // A record type's name ("BOUNDARY"), or "unknown (0x3f)" for one without a name.
    static QString recordName(int type);

private:
    double unitMetres = 0.0;
    std::vector<Structure> structs;
};

} // namespace Operations
} // namespace Core
