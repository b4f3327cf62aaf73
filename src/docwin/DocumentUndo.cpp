#include "docwin/DocumentUndo.h"

#include "base/TextEncoding.h"

#include <QString>

namespace orbiplot {

namespace {

// "删除曲线 圆: (x-(0))^2+...", the description cut to what a menu shows.
QString StepName(const char* action, const CurveRecord& curve) {
    QString description = QString::fromStdString(CurveDescription(curve));
    if (description.size() > StepNameLength)
        description = description.left(StepNameLength - 1) + QChar(0x2026);
    return QString::fromUtf8(action) + " " + description;
}

const char* ActionOf(CurveStep::Kind kind) {
    switch (kind) {
    case CurveStep::Kind::Add: return "添加曲线";
    case CurveStep::Kind::Edit: return "编辑曲线";
    case CurveStep::Kind::Show: return "显示曲线";
    case CurveStep::Kind::Hide: return "隐藏曲线";
    }
    return "";
}

} // namespace

CurveStep::CurveStep(UndoTarget& target, Kind kind, int32_t num, CurveRecord before,
                     CurveRecord after)
    : QUndoCommand(StepName(ActionOf(kind), after)), target_(target), kind_(kind), num_(num),
      before_(std::move(before)), after_(std::move(after)) {}

void CurveStep::undo() {
    DocumentModel& model = target_.UndoModel();
    switch (kind_) {
    case Kind::Add:
        model.DeleteFun(num_);
        model.PutCurve(num_, before_); // the slot beyond the list as it was
        target_.StepRedraw(UndoTarget::Drawing::All, num_);
        break;
    case Kind::Edit:
        model.PutCurve(num_, before_);
        target_.StepRedraw(UndoTarget::Drawing::All, num_);
        break;
    case Kind::Show:
    case Kind::Hide:
        model.PutCurve(num_, before_);
        ShowOrHide();
        break;
    }
}

void CurveStep::ShowOrHide() {
    // Everything anew, so that a curve shown again lies under the later ones as it did.
    target_.StepRedraw(UndoTarget::Drawing::All, num_);
}

void CurveStep::redo() {
    if (made_) {
        made_ = false;
        return;
    }
    DocumentModel& model = target_.UndoModel();
    switch (kind_) {
    case Kind::Add:
        model.InsertCurve(num_, after_);
        target_.StepRedraw(UndoTarget::Drawing::One, num_);
        break;
    case Kind::Edit:
        model.PutCurve(num_, after_);
        target_.StepRedraw(UndoTarget::Drawing::All, num_);
        break;
    case Kind::Show:
    case Kind::Hide:
        model.PutCurve(num_, after_);
        ShowOrHide();
        break;
    }
}

RemovalStep::RemovalStep(UndoTarget& target, int32_t num, CurveRecord removed, PlacedAreas areas)
    : QUndoCommand(StepName("删除曲线", removed)), target_(target), num_(num),
      removed_(std::move(removed)), areas_(std::move(areas)) {}

void RemovalStep::undo() {
    DocumentModel& model = target_.UndoModel();
    model.InsertCurve(num_, removed_);
    // In the order they were taken, each back at its place.
    for (const auto& [at, area] : areas_)
        model.InsertArea(at, area);
    target_.StepRedraw(UndoTarget::Drawing::All, num_);
}

void RemovalStep::redo() {
    if (made_) {
        made_ = false;
        return;
    }
    target_.UndoModel().DeleteFun(num_);
    target_.StepRedraw(UndoTarget::Drawing::All, num_);
}

AreaStep::AreaStep(UndoTarget& target, Kind kind, size_t at, AreaRecord before, AreaRecord after,
                   const QString& name)
    : QUndoCommand(name), target_(target), kind_(kind), at_(at), before_(before), after_(after) {}

void AreaStep::undo() {
    DocumentModel& model = target_.UndoModel();
    switch (kind_) {
    case Kind::Add: model.RemoveArea(at_); break;
    case Kind::Remove: model.InsertArea(at_, before_); break;
    case Kind::Show:
    case Kind::Hide: model.SetArea(at_, before_); break;
    }
    target_.StepRedraw(UndoTarget::Drawing::All, -1);
}

void AreaStep::redo() {
    if (made_) {
        made_ = false;
        return;
    }
    DocumentModel& model = target_.UndoModel();
    switch (kind_) {
    case Kind::Add: model.InsertArea(at_, after_); break;
    case Kind::Remove: model.RemoveArea(at_); break;
    case Kind::Show:
    case Kind::Hide: model.SetArea(at_, after_); break;
    }
    target_.StepRedraw(UndoTarget::Drawing::All, -1);
}

InfoStep::InfoStep(UndoTarget& target, DocInfo before, DocInfo after)
    : QUndoCommand(QString::fromUtf8("修改文档属性")), target_(target), before_(std::move(before)),
      after_(std::move(after)) {}

void InfoStep::undo() { target_.UndoModel().ModifyDocInfo(before_); }

void InfoStep::redo() {
    if (made_) {
        made_ = false;
        return;
    }
    target_.UndoModel().ModifyDocInfo(after_);
}

} // namespace orbiplot
