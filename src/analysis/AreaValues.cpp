#include "analysis/AreaValues.h"

#include "analysis/AreaShading.h"
#include "analysis/CurveFunctions.h"
#include "base/NumberFormat.h"
#include "doc/DocumentModel.h"
#include "expr/clsExpressionParser.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <map>
#include <mutex>

namespace orbiplot {

namespace {

void Append(std::string& key, const std::string& text) {
    key += std::to_string(text.size());
    key += ':';
    key += text;
}

void Append(std::string& key, double v) { Append(key, std::to_string(std::bit_cast<uint64_t>(v))); }

void AppendCurve(std::string& key, const CurveRecord& c) {
    Append(key, std::to_string(c.FType));
    for (int i = 1; i <= 4; ++i)
        Append(key, c.SData(i));
    Append(key, c.Expression1);
    Append(key, c.Expression2);
    Append(key, static_cast<double>(c.CTh));
    Append(key, static_cast<double>(c.CTk));
}

std::string KeyOf(const DocumentModel& document, const clsExpressionParser& parser, const AreaRecord& a) {
    std::string key = a.What == AreaRecord::Kind::Length ? "L" : "A";
    Append(key, a.From);
    Append(key, a.To);
    AppendCurve(key, document.Curve(a.Curve));
    if (a.Other >= 0 && a.Other < document.CurveCount()) AppendCurve(key, document.Curve(a.Other));
    for (const auto& [name, value] : parser.Constants()) {
        Append(key, name);
        Append(key, value);
    }
    return key;
}

// Values kept; cleared whole when it grows past what a session of sliding constants makes.
struct Kept {
    std::mutex mutex;
    std::map<std::string, Integral> values;
};
Kept& KeptValues() {
    static Kept kept;
    return kept;
}
constexpr size_t MaxKept = 4096;

std::string Short(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

} // namespace

Integral MeasureArea(const DocumentModel& document, const clsExpressionParser& parser, size_t index) {
    const std::vector<AreaRecord>& areas = document.Areas();
    if (index >= areas.size()) return {};
    return Measure(document, parser, areas[index]);
}

Integral Measure(const DocumentModel& document, const clsExpressionParser& parser, const AreaRecord& a) {
    if (a.Curve < 0 || a.Curve >= document.CurveCount()) return {};
    const std::string key = KeyOf(document, parser, a);
    Kept& kept = KeptValues();
    {
        const std::lock_guard lock(kept.mutex);
        if (const auto found = kept.values.find(key); found != kept.values.end()) return found->second;
    }
    // Worked out outside the lock: two threads may work out the same one, and agree.
    const Integral value = a.What == AreaRecord::Kind::Length
                               ? LengthOf(document, parser, a.Curve, a.From, a.To)
                               : AreaOf(document, parser, a.Curve, a.Other, a.From, a.To);
    const std::lock_guard lock(kept.mutex);
    if (kept.values.size() >= MaxKept) kept.values.clear();
    kept.values.emplace(key, value);
    return value;
}

std::string OutcomeText(const Integral& value) {
    switch (value.Result) {
    case Integral::Outcome::Value: return "";
    case Integral::Outcome::Divergent: return "发散";
    case Integral::Outcome::Undefined: return "区间内有无定义处";
    case Integral::Outcome::Inexact: return "无法精确计算";
    case Integral::Outcome::Unsuited: return "无法计算";
    }
    return "";
}

std::string AreaLabel(const AreaRecord& area, const Integral& value) {
    const std::string what = area.What == AreaRecord::Kind::Length ? "弧长" : "面积";
    if (!value.Ok()) return what + ": " + OutcomeText(value);
    return what + "=" + Short(value.Unsigned);
}

std::string AreaDescription(const DocumentModel& document, const AreaRecord& area) {
    if (area.Curve < 0 || area.Curve >= document.CurveCount()) return "";
    const CurveRecord& c = document.Curve(area.Curve);
    std::string text = area.What == AreaRecord::Kind::Length ? "弧长: " : "面积: ";
    text += CurveEquation(c);
    const bool two = area.Other >= 0 && area.Other < document.CurveCount();
    if (two) text += " 与 " + CurveEquation(document.Curve(area.Other));
    const char* variable =
        two ? (BoundAlongX(c, document.Curve(area.Other)) ? "x" : "y") : CurveVariableOf(c.FType);
    text += std::string(", ") + variable + "从" + Short(area.From) + "到" + Short(area.To);
    return text;
}

std::vector<std::pair<double, double>> NaturalIntervals(const DocumentModel& document,
                                                        const clsExpressionParser& parser,
                                                        int32_t curve, int32_t other, const PlaneBox& box) {
    if (curve < 0 || curve >= document.CurveCount()) return {};
    const bool two = other >= 0 && other < document.CurveCount() && other != curve;
    const CurveRecord& c = document.Curve(curve);
    bool alongX = true;
    if (two) {
        if (!CanBoundTogether(c, document.Curve(other))) return {};
        alongX = BoundAlongX(c, document.Curve(other));
    } else if (c.FType == CurveGeneralX) {
        alongX = false;
    } else if (c.FType != CurveGeneralY) {
        return {};
    }
    // The curves alone, shown, so that the search looks at nothing else.
    DocumentModel alone(document.Context());
    CurveRecord first = c;
    first.ShowHide = true;
    alone.InsertCurve(0, first);
    if (two) {
        CurveRecord second = document.Curve(other);
        second.ShowHide = true;
        alone.InsertCurve(1, second);
    }
    std::vector<double> meetings;
    for (const KeyPoint& p : FindKeyPoints(alone, parser, box)) {
        const bool meets = two ? p.Kind == KeyPointKind::Intersection
                               : p.Kind == (alongX ? KeyPointKind::Zero : KeyPointKind::YIntercept);
        if (meets) meetings.push_back(alongX ? p.X : p.Y);
    }
    std::sort(meetings.begin(), meetings.end());
    meetings.erase(std::unique(meetings.begin(), meetings.end()), meetings.end());
    std::vector<std::pair<double, double>> intervals;
    for (size_t i = 1; i < meetings.size(); ++i)
        intervals.emplace_back(meetings[i - 1], meetings[i]);
    return intervals;
}

void DrawDocumentAreas(Canvas& canvas, const View& view, const DocumentModel& document,
                       const clsExpressionParser& parser) {
    const std::vector<AreaRecord>& areas = document.Areas();
    if (areas.empty()) return;
    std::vector<std::string> labels(areas.size());
    for (size_t i = 0; i < areas.size(); ++i)
        if (areas[i].Shown) labels[i] = AreaLabel(areas[i], MeasureArea(document, parser, i));
    DrawAreas(canvas, view, document, parser, labels);
}

} // namespace orbiplot
