#pragma once

#include "doc/DocumentModel.h"

#include <QUndoCommand>

#include <cstdint>
#include <utility>
#include <vector>

namespace orbiplot {

// What an undo step works on: the document's model, and the window that redraws it.
class UndoTarget {
public:
    enum class Drawing { None, All, One };
    virtual ~UndoTarget() = default;
    virtual DocumentModel& UndoModel() = 0;
    virtual void StepRedraw(Drawing drawing, int32_t num) = 0;
};

// The longest description a step's name shows; the rest is cut with an ellipsis.
inline constexpr int StepNameLength = 40;

// A curve added, edited, shown or hidden: its slot as it was and as it became (and for an
// addition the count). Each way restores the slot whole and redraws: an addition draws the
// curve over the picture, an edit, a showing and a hiding everything (the check box itself
// draws nothing, but what undo does is seen at once).
class CurveStep : public QUndoCommand {
public:
    enum class Kind { Add, Edit, Show, Hide };
    // The change was made already; the first redo, on pushing, does nothing.
    CurveStep(UndoTarget& target, Kind kind, int32_t num, CurveRecord before, CurveRecord after);
    void undo() override;
    void redo() override;

private:
    void ShowOrHide();
    UndoTarget& target_;
    Kind kind_;
    int32_t num_;
    CurveRecord before_, after_;
    bool made_ = true;
};

// A curve deleted with its areas: put back where it was, the later ones moving on, and its
// areas with it; or taken out again.
class RemovalStep : public QUndoCommand {
public:
    using PlacedAreas = std::vector<std::pair<size_t, AreaRecord>>;
    RemovalStep(UndoTarget& target, int32_t num, CurveRecord removed, PlacedAreas areas);
    void undo() override;
    void redo() override;

private:
    UndoTarget& target_;
    int32_t num_;
    CurveRecord removed_;
    PlacedAreas areas_;
    bool made_ = true;
};

// An area or a length added, deleted, shown or hidden.
class AreaStep : public QUndoCommand {
public:
    enum class Kind { Add, Remove, Show, Hide };
    // The change was made already; name is the step's, as the menu shows it.
    AreaStep(UndoTarget& target, Kind kind, size_t at, AreaRecord before, AreaRecord after,
             const QString& name);
    void undo() override;
    void redo() override;

private:
    UndoTarget& target_;
    Kind kind_;
    size_t at_;
    AreaRecord before_, after_;
    bool made_ = true;
};

// The document's properties changed.
class InfoStep : public QUndoCommand {
public:
    InfoStep(UndoTarget& target, DocInfo before, DocInfo after);
    void undo() override;
    void redo() override;

private:
    UndoTarget& target_;
    DocInfo before_, after_;
    bool made_ = true;
};

} // namespace orbiplot
