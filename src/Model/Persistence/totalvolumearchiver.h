#pragma once

#include "Model/Persistence/objectarchiver.h"

namespace Model {
namespace Persistence {

// Stores a cell volume (type code 1): its sizes, cell sizes and position as attributes,
// the material id of every cell as the text of "State" (each id followed by one space,
// in cell-index order) and the position again in "Position". Each particle-count field
// the volume holds follows as `<ParticleCounts name="FIELD">`, its seven counts per cell
// in cell-index order, each followed by one space; a document without them reads as a
// volume without fields. Volumes hold millions of cells, so the numbers are formatted
// into a byte buffer, and read without a string per number: straight from the file's
// bytes when the reader reads through a DocumentSource, otherwise from the reader's text.
class TotalVolumeArchiver : public ObjectArchiver
{
public:
    void setWriter(QXmlStreamWriter *w) override { writer = w; }
    void setReader(QXmlStreamReader *r) override { reader = r; }
    void setMaterialIdMap(const Materials::MaterialIdMap *map) override { idMap = map; }
    bool write(const ObjectPtr &object) override;
    ObjectPtr read() override;

private:
    QXmlStreamWriter *writer = nullptr;
    QXmlStreamReader *reader = nullptr;
    const Materials::MaterialIdMap *idMap = nullptr;
};

} // namespace Persistence
} // namespace Model
