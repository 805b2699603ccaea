#pragma once

#include "Core/Operations/operation.h"
#include "Model/Automaton/totalvolume.h"

#include <cstdint>

namespace Core {
namespace Operations {

class OperationContext;

// Copies one connected body of a chosen material out of the selected cell volume into a
// new volume of the same size placed beside it ("Extract Film", 8). Undo takes the new
// volume out of the scene; redo puts it back.
class ExtractFilm : public ObjectOperation
{
public:
    explicit ExtractFilm(OperationContext &context);

    void execute() override;
    void cancel() override;
    void end() override;
    UndoResult undo() override;
    void redo() override;

    void setMaterialId(uint32_t id)
    {
        materialId = id;
        materialChosen = true;
    }
    void setFlip(bool f) { flip = f; }

    // 0 nothing selected, 1 volume selected, 2 done.
    int32_t getCounter() const { return counter; }
    Model::Automaton::TotalVolumePtr getSource() const { return source; }
    Model::Automaton::TotalVolumePtr getFilm() const { return film; }

private:
    OperationContext &context;
    int32_t counter = 0;
    Model::Automaton::TotalVolumePtr source;
    uint32_t materialId = 0;
    bool materialChosen = false;
    bool flip = false;
    Model::Automaton::TotalVolumePtr film;
};

} // namespace Operations
} // namespace Core
