#pragma once

#include "base/AppError.h"

#include "doc/CurveRecord.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbiplot {

class CoreContext;

// A document's descriptive texts as stored in its file.
struct DocInfo {
    std::string Title;
    std::string Author;
    std::string Note;
    std::string Coordinates; // "0" rectangular, "1" polar, "2" both
    bool operator==(const DocInfo&) const = default;
};

// An area or a length measured on the document's curves and kept with it: of curve Curve
// (between it and Other, when Other is a curve) over its variable from From to To.
struct AreaRecord {
    enum class Kind { Area, Length };
    Kind What = Kind::Area;
    int32_t Curve = 0;
    int32_t Other = -1;
    double From = 0, To = 0;
    bool Shown = true;
    bool operator==(const AreaRecord&) const = default;
};

// What the document window does when the model changes; nothing by default.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // Draws one stored curve over the current picture.
    virtual void DrawCurve(int32_t /*num*/) {}
    virtual void SetCaption(const std::string& /*title*/) {}
};

// A document's curves and descriptive texts with the operations the other windows use.
// Curve numbers are 0-based slot indices.
class DocumentModel {
public:
    explicit DocumentModel(CoreContext& context);

    void SetView(DocumentView* view) { view_ = view; }
    CoreContext& Context() const { return context_; }

    // Stores the fields of the record's type into slot modifyNum (appending when isNew).
    // A bad index or type is reported; the result is then false and nothing changes.
    bool ModifyFun(const CurveRecord& curve, int32_t modifyNum, bool isNew);
    // Removes a curve, moving the later ones forward; outside the list raises error 9.
    bool DeleteFun(int32_t num);

    int32_t CurveCount() const { return curveCount_; }
    int32_t GetLastCountAdd1() const { return curveCount_; }
    std::vector<std::string> GetFunList() const;
    std::vector<bool> GetFunListShowHide() const;
    bool SetFunListShowHide(int32_t num, bool showHide);

    // The curve in slot num; error 9 for an index outside 0..253.
    const CurveRecord& Curve(int32_t num) const { return Slot(num); }

    // Taking a change back: a slot given back whole (every field, even those its type does
    // not use, as a later save writes them all), and a curve put back where it was removed,
    // the later ones moving one slot on. Neither marks the document nor draws; error 9 for
    // an index outside the list.
    void PutCurve(int32_t num, const CurveRecord& curve);
    void InsertCurve(int32_t num, const CurveRecord& curve);

    // The curves and texts of another document, for a copy drawn away from its window.
    void CopyCurvesFrom(const DocumentModel& other);

    // The areas and lengths, in the order they were made. A curve deleted takes its own
    // with it, and those of the later curves follow their curves; a curve put back moves
    // them on again.
    const std::vector<AreaRecord>& Areas() const { return areas_; }
    void InsertArea(size_t at, const AreaRecord& area);
    AreaRecord RemoveArea(size_t at);
    void SetArea(size_t at, const AreaRecord& area);
    // The areas of a curve, with their places, as DeleteFun takes them.
    std::vector<std::pair<size_t, AreaRecord>> AreasOf(int32_t num) const;
    // Works a line's or a conic's numbers out of its parameter texts again, as the curve
    // dialog checks them, with the constants as they are now (a slider moved one). The
    // texts do not change, so neither does the modified mark. On failure the numbers stay
    // and the error is returned.
    std::optional<AppError> ReevaluateParameters(int32_t num);

    void NewDoc(const DocInfo& info);
    DocInfo GetDocInfo() const { return info_; }
    void ModifyDocInfo(const DocInfo& info);
    const std::string& GetIPath() const { return docPath_; }
    // Whether there are changes since the document was made, loaded or saved.
    bool IsModified() const { return isModified_; }
    void SetModified(bool modified) { isModified_ = modified; }

    // Writes the document; fromScratch replaces the file instead of updating its keys (Save
    // As). Failures are reported; the result tells whether the document was saved.
    bool SaveDoc(const std::string& path, bool fromScratch = false);
    // Fills the document from a file; failures are reported and the result is false, the
    // document then is not to be shown.
    bool LoadDoc(const std::string& path);

private:
    CurveRecord& Slot(int32_t num);
    const CurveRecord& Slot(int32_t num) const;

    CoreContext& context_;
    DocumentView* view_ = nullptr;
    std::vector<CurveRecord> curves_; // MaxCurves slots
    int32_t curveCount_ = 0;
    std::vector<AreaRecord> areas_;
    DocInfo info_;
    std::string docPath_;
    bool isModified_ = false;
};

} // namespace orbiplot
