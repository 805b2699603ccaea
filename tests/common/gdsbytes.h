#pragma once

// Writes GDSII stream records byte by byte for tests, benchmarks and fuzz seeds: the
// records python3-gdspy never writes (BOX, NODE, properties, custom path extensions) and
// malformed files. Each call appends one element or record; nothing is checked, so a
// test can write exactly the fault it wants.
#include <QByteArray>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class GdsBytes
{
public:
    enum Type : uint8_t {
        HEADER = 0x00, BGNLIB = 0x01, LIBNAME = 0x02, UNITS = 0x03, ENDLIB = 0x04, BGNSTR = 0x05,
        STRNAME = 0x06, ENDSTR = 0x07, BOUNDARY = 0x08, PATH = 0x09, SREF = 0x0A, AREF = 0x0B,
        TEXT = 0x0C, LAYER = 0x0D, DATATYPE = 0x0E, WIDTH = 0x0F, XY = 0x10, ENDEL = 0x11,
        SNAME = 0x12, COLROW = 0x13, NODE = 0x15, TEXTTYPE = 0x16, PRESENTATION = 0x17,
        STRING = 0x19, STRANS = 0x1A, MAG = 0x1B, ANGLE = 0x1C, PATHTYPE = 0x21, PROPATTR = 0x2B,
        PROPVALUE = 0x2C, BOX = 0x2D, BOXTYPE = 0x2E, NODETYPE = 0x2A, BGNEXTN = 0x30, ENDEXTN = 0x31
    };
    using Points = std::vector<std::pair<int32_t, int32_t>>;

    // HEADER, BGNLIB, LIBNAME and UNITS with a database unit of `metres`, 1000 per user unit.
    explicit GdsBytes(double metres = 1e-9)
    {
        int16s(HEADER, {600});
        int16s(BGNLIB, std::vector<int16_t>(12, 1));
        text(LIBNAME, "LIB");
        reals(UNITS, {metres / 1e-6, metres});
    }

    QByteArray bytes;

    // One record; the length is the header's 4 bytes plus the data.
    void record(uint8_t type, uint8_t dataType, const QByteArray &data = QByteArray())
    {
        const int length = 4 + data.size();
        bytes.append(char(length >> 8)).append(char(length & 0xff)).append(char(type)).append(char(dataType));
        bytes.append(data);
    }
    void int16s(uint8_t type, const std::vector<int16_t> &values)
    {
        QByteArray data;
        for (int16_t v : values)
            data.append(char(uint16_t(v) >> 8)).append(char(uint16_t(v) & 0xff));
        record(type, 2, data);
    }
    void int32s(uint8_t type, const std::vector<int32_t> &values)
    {
        QByteArray data;
        for (int32_t v : values)
            for (int shift = 24; shift >= 0; shift -= 8)
                data.append(char((uint32_t(v) >> shift) & 0xff));
        record(type, 3, data);
    }
    // Excess-64 base-16 reals: sign, 7-bit exponent, 56-bit mantissa in [1/16, 1).
    void reals(uint8_t type, const std::vector<double> &values)
    {
        QByteArray data;
        for (double v : values) {
            uint8_t out[8] = {0, 0, 0, 0, 0, 0, 0, 0};
            if (v != 0) {
                const bool negative = v < 0;
                double m = std::fabs(v);
                int exponent = 64;
                while (m >= 1) {
                    m /= 16;
                    ++exponent;
                }
                while (m < 1.0 / 16) {
                    m *= 16;
                    --exponent;
                }
                uint64_t mantissa = static_cast<uint64_t>(std::llround(std::ldexp(m, 56)));
                out[0] = uint8_t((negative ? 0x80 : 0) | exponent);
                for (int k = 7; k >= 1; --k, mantissa >>= 8)
                    out[k] = uint8_t(mantissa & 0xff);
            }
            data.append(reinterpret_cast<const char *>(out), 8);
        }
        record(type, 5, data);
    }
    void text(uint8_t type, const std::string &value)
    {
        QByteArray data = QByteArray::fromStdString(value);
        if (data.size() % 2)
            data.append('\0');
        record(type, 6, data);
    }
    void xy(const Points &points)
    {
        std::vector<int32_t> values;
        for (const auto &p : points) {
            values.push_back(p.first);
            values.push_back(p.second);
        }
        int32s(XY, values);
    }

    void beginStructure(const std::string &name)
    {
        int16s(BGNSTR, std::vector<int16_t>(12, 1));
        text(STRNAME, name);
    }
    void endStructure() { record(ENDSTR, 0); }
    void endLibrary() { record(ENDLIB, 0); }

    // A closed boundary through `points` (the first point is repeated at the end).
    void boundary(int16_t layer, int16_t datatype, Points points)
    {
        points.push_back(points.front());
        record(BOUNDARY, 0);
        int16s(LAYER, {layer});
        int16s(DATATYPE, {datatype});
        xy(points);
        record(ENDEL, 0);
    }
    void rectangle(int16_t layer, int16_t datatype, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
    {
        boundary(layer, datatype, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    }
    void box(int16_t layer, int16_t boxType, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
    {
        record(BOX, 0);
        int16s(LAYER, {layer});
        int16s(BOXTYPE, {boxType});
        xy({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}});
        record(ENDEL, 0);
    }
    void path(int16_t layer, int16_t pathType, int32_t width, const Points &points, int32_t begin = 0, int32_t end = 0)
    {
        record(PATH, 0);
        int16s(LAYER, {layer});
        int16s(DATATYPE, {0});
        int16s(PATHTYPE, {pathType});
        int32s(WIDTH, {width});
        if (pathType == 4) {
            int32s(BGNEXTN, {begin});
            int32s(ENDEXTN, {end});
        }
        xy(points);
        record(ENDEL, 0);
    }
    void transform(bool reflect, double magnification, double angle)
    {
        if (!reflect && magnification == 1 && angle == 0)
            return;
        record(STRANS, 1, QByteArray(1, char(reflect ? 0x80 : 0)).append('\0'));
        if (magnification != 1)
            reals(MAG, {magnification});
        if (angle != 0)
            reals(ANGLE, {angle});
    }
    void sref(const std::string &name, int32_t x, int32_t y, bool reflect = false, double magnification = 1,
              double angle = 0)
    {
        record(SREF, 0);
        text(SNAME, name);
        transform(reflect, magnification, angle);
        xy({{x, y}});
        record(ENDEL, 0);
    }
    // `columns` x `rows` instances from (x, y), stepping (dx, 0) and (0, dy) before rotation.
    void aref(const std::string &name, int16_t columns, int16_t rows, int32_t x, int32_t y, int32_t dx, int32_t dy,
              bool reflect = false, double angle = 0)
    {
        record(AREF, 0);
        text(SNAME, name);
        transform(reflect, 1, angle);
        int16s(COLROW, {columns, rows});
        const double c = std::cos(angle * M_PI / 180), s = std::sin(angle * M_PI / 180);
        const auto turn = [&](double u, double v) {
            return std::make_pair(int32_t(std::lround(x + c * u - s * v)), int32_t(std::lround(y + s * u + c * v)));
        };
        xy({{x, y}, turn(double(columns) * dx, 0), turn(0, double(rows) * dy)});
        record(ENDEL, 0);
    }
    // A text and a node, both with a property; they draw nothing.
    void textAndNode(int16_t layer)
    {
        record(TEXT, 0);
        int16s(LAYER, {layer});
        int16s(TEXTTYPE, {0});
        int16s(PRESENTATION, {0});
        xy({{0, 0}});
        text(STRING, "label");
        int16s(PROPATTR, {1});
        text(PROPVALUE, "value");
        record(ENDEL, 0);
        record(NODE, 0);
        int16s(LAYER, {layer});
        int16s(NODETYPE, {0});
        xy({{0, 0}, {1000, 1000}});
        record(ENDEL, 0);
    }
};

// A layout of 258 bytes that would flatten to 1000 x 20000 squares: its size must be
// known from COLROW before anything is expanded.
inline GdsBytes arrayBomb()
{
    GdsBytes bomb;
    bomb.beginStructure("SQ");
    bomb.rectangle(1, 0, 0, 0, 1000, 1000);
    bomb.endStructure();
    bomb.beginStructure("TOP");
    bomb.aref("SQ", 1000, 20000, 0, 0, 2000, 2000);
    bomb.endStructure();
    bomb.endLibrary();
    return bomb;
}

