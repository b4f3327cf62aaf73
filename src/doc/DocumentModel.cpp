#include "doc/DocumentModel.h"

#include <algorithm>

#include "doc/CurveDefinition.h"

#include "base/AppError.h"
#include "base/modError.h"
#include "expr/CoreContext.h"

namespace orbiplot {

DocumentModel::DocumentModel(CoreContext& context)
    : context_(context), curves_(static_cast<size_t>(MaxCurves)) {}

namespace {

size_t SlotIndex(int32_t num) {
    if (num < 0 || num >= MaxCurves) RaiseRuntimeError(ErrSubscript);
    return static_cast<size_t>(num);
}

} // namespace

CurveRecord& DocumentModel::Slot(int32_t num) { return curves_[SlotIndex(num)]; }

const CurveRecord& DocumentModel::Slot(int32_t num) const { return curves_[SlotIndex(num)]; }

std::optional<AppError> DocumentModel::ReevaluateParameters(int32_t num) {
    CurveRecord& curve = Slot(num);
    if (curve.FType >= CurveGeneralY) return std::nullopt;
    ValidatedInput values;
    if (const auto failure = ValidateInput(context_.Parser, InputForCurve(curve), values))
        return failure->Error;
    for (int k = 1; k <= 4; ++k)
        curve.Data(k) = values.FunData[static_cast<size_t>(k - 1)];
    return std::nullopt;
}

bool DocumentModel::ModifyFun(const CurveRecord& curve, int32_t modifyNum, bool isNew) {
    try {
        if (!IsKnownCurveType(curve.FType)) RaiseOwnError(ErrUnknownCurveType);
        CopyDefinition(curve, Slot(modifyNum));
    } catch (...) {
        ReportCurrentError(context_.Messages);
        return false;
    }
    if (isNew) ++curveCount_;
    isModified_ = true;
    if (view_) view_->DrawCurve(modifyNum);
    return true;
}

bool DocumentModel::DeleteFun(int32_t num) {
    Slot(num);
    if (num >= curveCount_) RaiseRuntimeError(ErrSubscript);
    for (int32_t i = num; i + 1 < curveCount_; ++i)
        curves_[static_cast<size_t>(i)] = curves_[static_cast<size_t>(i) + 1];
    --curveCount_;
    // Its areas go with it; those of the later curves follow them.
    std::erase_if(areas_, [num](const AreaRecord& a) { return a.Curve == num || a.Other == num; });
    for (AreaRecord& a : areas_) {
        if (a.Curve > num) --a.Curve;
        if (a.Other > num) --a.Other;
    }
    return false;
}

void DocumentModel::InsertArea(size_t at, const AreaRecord& area) {
    areas_.insert(areas_.begin() + static_cast<ptrdiff_t>(std::min(at, areas_.size())), area);
}

AreaRecord DocumentModel::RemoveArea(size_t at) {
    if (at >= areas_.size()) RaiseRuntimeError(ErrSubscript);
    AreaRecord removed = areas_[at];
    areas_.erase(areas_.begin() + static_cast<ptrdiff_t>(at));
    return removed;
}

void DocumentModel::SetArea(size_t at, const AreaRecord& area) {
    if (at >= areas_.size()) RaiseRuntimeError(ErrSubscript);
    areas_[at] = area;
}

std::vector<std::pair<size_t, AreaRecord>> DocumentModel::AreasOf(int32_t num) const {
    std::vector<std::pair<size_t, AreaRecord>> found;
    for (size_t i = 0; i < areas_.size(); ++i)
        if (areas_[i].Curve == num || areas_[i].Other == num) found.emplace_back(i, areas_[i]);
    return found;
}

void DocumentModel::PutCurve(int32_t num, const CurveRecord& curve) { Slot(num) = curve; }

void DocumentModel::InsertCurve(int32_t num, const CurveRecord& curve) {
    Slot(num);
    if (num > curveCount_ || curveCount_ >= MaxCurves) RaiseRuntimeError(ErrSubscript);
    for (int32_t i = curveCount_; i > num; --i)
        curves_[static_cast<size_t>(i)] = curves_[static_cast<size_t>(i) - 1];
    curves_[static_cast<size_t>(num)] = curve;
    ++curveCount_;
    for (AreaRecord& a : areas_) {
        if (a.Curve >= num) ++a.Curve;
        if (a.Other >= num) ++a.Other;
    }
}

std::vector<std::string> DocumentModel::GetFunList() const {
    std::vector<std::string> list;
    for (int32_t i = 0; i < curveCount_; ++i)
        list.push_back(CurveDescription(Slot(i)));
    return list;
}

std::vector<bool> DocumentModel::GetFunListShowHide() const {
    std::vector<bool> list;
    for (int32_t i = 0; i < curveCount_; ++i)
        list.push_back(Slot(i).ShowHide);
    return list;
}

bool DocumentModel::SetFunListShowHide(int32_t num, bool showHide) {
    Slot(num).ShowHide = showHide;
    return false;
}

void DocumentModel::CopyCurvesFrom(const DocumentModel& other) {
    curves_ = other.curves_;
    curveCount_ = other.curveCount_;
    info_ = other.info_;
    areas_ = other.areas_;
}

void DocumentModel::NewDoc(const DocInfo& info) {
    info_ = info;
    curveCount_ = 0;
    areas_.clear();
    isModified_ = false;
    docPath_.clear();
    if (view_) view_->SetCaption(info_.Title);
}

void DocumentModel::ModifyDocInfo(const DocInfo& info) {
    info_ = info;
    isModified_ = true;
    if (view_) view_->SetCaption(info_.Title);
}

} // namespace orbiplot
