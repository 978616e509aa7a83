#pragma once
// An edit on the undo stack: redo applies its change to the surface, undo reverts it, and each
// tells the owner, who shows the surface as the model. The edit is made before it is pushed
// (a refused edit never reaches the stack), so the push's first redo has nothing to do.
#include "SurfaceEdits.h"

#include <QUndoCommand>

#include <functional>

class TEditCommand : public QUndoCommand {
public:
    TEditCommand(const QString& text, TSurfaceData& surface, TSurfaceChange change,
                 std::function<void()> changed)
        : QUndoCommand(text), FSurface(surface), FChange(std::move(change)),
          FChanged(std::move(changed)) {}

    void redo() override {
        if (FMade) {
            ApplyChange(FSurface, FChange);
            FChanged();
        }
        FMade = true;
    }
    void undo() override {
        RevertChange(FSurface, FChange);
        FChanged();
    }

private:
    TSurfaceData& FSurface;
    const TSurfaceChange FChange;
    const std::function<void()> FChanged;
    bool FMade = false;
};
