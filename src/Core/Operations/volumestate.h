#pragma once

#include "Model/Automaton/totalvolume.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

class QIODevice;

namespace Core {
namespace Operations {

// What a step can change in a cell volume, kept as it was before the step: the material
// id and cut count of every cell, both particle-count fields and both masks. Compared
// with the volume after the step it yields the step's undo record (the old values of
// what changed) and redo record (the new values), so a record costs what the step
// changed, not the whole volume.
//
// A record is one text line: the key, the instance, then sections, each a tag followed
// by runs "start length value ...", where "value*count" stands for a value repeated
// count times:
//   m runs          material ids by cell index
//   k runs          cut counts by cell index
//   n present runs  the N particle-count field (present 0: the volume has none); the
//   p present runs  index is cell index * 7 + slot; a field made anew starts at zero
//   t w h bits      the top mask, w x h bits as hexadecimal digits ("-" when empty)
//   b w h bits      the bottom mask
// A record whose first word after the instance is a number holds the material id of
// every cell in index order instead.
class VolumeState
{
public:
    // The masks as they are now; steps that show a mask while their dialog is open
    // take them before it opens.
    void takeMasks(const Model::Automaton::TotalVolume &volume);
    bool hasMasks() const { return masksTaken; }
    // Cells and fields as they are now, under the voxel lock. Throws std::bad_alloc.
    void take(Model::Automaton::TotalVolume &volume);
    bool isTaken() const { return cellsTaken; }
    // Puts the taken state back (a step that failed half-way).
    void putBack(Model::Automaton::TotalVolume &volume) const;
    // Frees what was taken.
    void clear();

    // Appends one record to `undo` (the old values of what changed since the state was
    // taken) and one to `redo` (the new values), each starting with `head` ("key
    // instance"); false when a device refuses data. *changed (if given) tells whether
    // anything changed.
    bool writeChanges(Model::Automaton::TotalVolume &volume, const QByteArray &head, QIODevice &undo,
                      QIODevice &redo, bool *changed = nullptr) const;

    // Applies the sections of a record that follow its "key instance" head. Returns the
    // number of values set, or -1 when the record is malformed (what was read before the
    // fault stays applied).
    static int64_t apply(const char *begin, const char *end, Model::Automaton::TotalVolume &volume);
    // True when the record line [begin, end) is headed "key instance"; *sections then
    // points past the head.
    static bool headedBy(const char *begin, const char *end, const QByteArray &key, int32_t instance,
                         const char **sections);

private:
    struct Mask
    {
        std::vector<bool> bits;
        int width = 0;
        int height = 0;
        bool operator==(const Mask &o) const { return width == o.width && height == o.height && bits == o.bits; }
    };
    struct Field
    {
        bool present = false;
        std::vector<int32_t> counts;
    };

    std::vector<uint32_t> ids;
    std::vector<uint8_t> cuts;
    Field fields[2];
    Mask top;
    Mask bottom;
    bool masksTaken = false;
    bool cellsTaken = false;
};

} // namespace Operations
} // namespace Core
