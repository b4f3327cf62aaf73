// The .opd file: section General, then one section "<index>DATA" per curve.
#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/clsINI.h"
#include "base/modError.h"
#include "doc/DocumentModel.h"
#include "expr/CheckedMath.h"
#include "expr/CoreContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace orbiplot {

namespace {

constexpr int32_t FileVersion = 1;
constexpr Rgb DefaultLineColor = 16748574; // red 30, green 144, blue 255

const char* Word(bool value) { return value ? "True" : "False"; }

std::string Decimal(int32_t value) { return std::to_string(value); }

std::string SectionOf(int32_t index) { return std::to_string(index) + "DATA"; }

// Any length reads back; only a missing key takes the default.
std::string Text(const IniDocument& ini, const std::string& section, const char* key,
                 const char* fallback) {
    return ini.Get(section, key).value_or(fallback);
}

float Single(const IniDocument& ini, const std::string& section, const char* key) {
    const auto text = ini.Get(section, key);
    return text ? TextToSingle(*text) : 0.0f;
}

void WriteCurve(IniDocument& ini, int32_t index, const CurveRecord& c) {
    const std::string s = SectionOf(index);
    ini.Set(s, "Type", Decimal(c.FType));
    ini.Set(s, "Exp1", c.Expression1);
    ini.Set(s, "Exp2", c.Expression2);
    ini.Set(s, "SD1", c.SData1);
    ini.Set(s, "SD2", c.SData2);
    ini.Set(s, "SD3", c.SData3);
    ini.Set(s, "SD4", c.SData4);
    ini.Set(s, "CTh", GeneralTextSingle(c.CTh));
    ini.Set(s, "CTk", GeneralTextSingle(c.CTk));
    ini.Set(s, "SH", Word(c.ShowHide));
    ini.Set(s, "ExL1", Word(c.ExLine1));
    ini.Set(s, "ExL2", Word(c.ExLine2));
    ini.Set(s, "LW", Decimal(c.LineWidth));
    ini.Set(s, "ExLW", Decimal(c.ExLineWidth));
    ini.Set(s, "LC", Decimal(static_cast<int32_t>(c.LineColor)));
    ini.Set(s, "ExLC", Decimal(static_cast<int32_t>(c.ExLineColor)));
    ini.Set(s, "Mi", GeneralTextSingle(c.xtMin));
    ini.Set(s, "Ma", GeneralTextSingle(c.xtMax));
    ini.Set(s, "A", Word(c.IsAuto));
}

void ReadCurve(const IniDocument& ini, int32_t index, CurveRecord& c) {
    const std::string s = SectionOf(index);
    c.FType = ini.GetLong(s, "Type", 99);
    c.Expression1 = Text(ini, s, "Exp1", "");
    c.Expression2 = Text(ini, s, "Exp2", "");
    c.SData1 = Text(ini, s, "SD1", "");
    c.SData2 = Text(ini, s, "SD2", "");
    c.SData3 = Text(ini, s, "SD3", "");
    c.SData4 = Text(ini, s, "SD4", "");
    c.CTh = Single(ini, s, "CTh");
    c.CTk = Single(ini, s, "CTk");
    c.ShowHide = ini.GetBoolean(s, "SH", true);
    c.ExLine1 = ini.GetBoolean(s, "ExL1", true);
    c.ExLine2 = ini.GetBoolean(s, "ExL2", true);
    c.LineWidth = ini.GetLong(s, "LW", 1);
    c.ExLineWidth = ini.GetLong(s, "ExLW", 1);
    c.LineColor = static_cast<Rgb>(ini.GetLong(s, "LC", static_cast<int32_t>(DefaultLineColor)));
    c.ExLineColor =
        static_cast<Rgb>(ini.GetLong(s, "ExLC", static_cast<int32_t>(DefaultLineColor)));
    c.xtMin = Single(ini, s, "Mi");
    c.xtMax = Single(ini, s, "Ma");
    c.IsAuto = ini.GetBoolean(s, "A", true);
}

// The areas, in sections of their own that a reader of curves alone never looks at: a
// document without any is written as it always was.
constexpr const char* AreasSection = "Areas";
std::string AreaSection(size_t i) { return "Area" + std::to_string(i); }

std::string Digits17(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v == 0 ? 0.0 : v);
    return text;
}

void WriteAreas(IniDocument& ini, const std::vector<AreaRecord>& areas) {
    // A file that had areas and has none now says so; one that never had any is untouched.
    if (areas.empty() && !ini.Get(AreasSection, "Count")) return;
    ini.Set(AreasSection, "Count", std::to_string(areas.size()));
    for (size_t i = 0; i < areas.size(); ++i) {
        const AreaRecord& a = areas[i];
        const std::string s = AreaSection(i);
        ini.Set(s, "Kind", a.What == AreaRecord::Kind::Area ? "Area" : "Length");
        ini.Set(s, "Curve", Decimal(a.Curve));
        ini.Set(s, "Other", Decimal(a.Other));
        ini.Set(s, "From", Digits17(a.From));
        ini.Set(s, "To", Digits17(a.To));
        ini.Set(s, "Shown", Word(a.Shown));
    }
}

// The areas a file holds; one that names no curve of the document or no number is left
// out, as a reader of curves alone leaves them all out.
std::vector<AreaRecord> ReadAreas(const IniDocument& ini, int32_t curveCount) {
    std::vector<AreaRecord> areas;
    const int32_t count = std::clamp<int32_t>(ini.GetLong(AreasSection, "Count", 0), 0, 10000);
    const auto number = [&](const std::string& s, const char* key) -> std::optional<double> {
        const auto text = ini.Get(s, key);
        if (!text || !IsNumericText(*text)) return std::nullopt;
        try {
            const double v = TextToDouble(*text);
            if (std::isfinite(v)) return v;
        } catch (const AppError&) {
            // Not a number after all.
        }
        return std::nullopt;
    };
    for (int32_t i = 0; i < count; ++i) {
        const std::string s = AreaSection(static_cast<size_t>(i));
        AreaRecord a;
        const auto kind = ini.Get(s, "Kind");
        if (!kind || (*kind != "Area" && *kind != "Length")) continue;
        a.What = *kind == "Area" ? AreaRecord::Kind::Area : AreaRecord::Kind::Length;
        const auto curve = number(s, "Curve"), other = number(s, "Other");
        const auto from = number(s, "From"), to = number(s, "To");
        if (!curve || !other || !from || !to) continue;
        if (*curve < 0 || *curve >= curveCount || *curve != std::trunc(*curve)) continue;
        if (*other < -1 || *other >= curveCount || *other == *curve ||
            *other != std::trunc(*other))
            continue;
        a.Curve = static_cast<int32_t>(*curve);
        a.Other = a.What == AreaRecord::Kind::Area ? static_cast<int32_t>(*other) : -1;
        a.From = *from;
        a.To = *to;
        a.Shown = ini.GetBoolean(s, "Shown", true);
        areas.push_back(a);
    }
    return areas;
}

} // namespace

bool DocumentModel::SaveDoc(const std::string& path, bool fromScratch) {
    try {
        IniDocument ini = fromScratch ? IniDocument() : IniDocument::Load(path);
        ini.Set("General", "OPMVer", Decimal(FileVersion));
        ini.Set("General", "Title", info_.Title);
        ini.Set("General", "Author", info_.Author);
        ini.Set("General", "Note", info_.Note);
        ini.Set("General", "Coo", info_.Coordinates);
        ini.Set("General", "C", Decimal(curveCount_));
        for (int32_t i = 0; i < curveCount_; ++i)
            WriteCurve(ini, i, Slot(i));
        WriteAreas(ini, areas_);
        ini.Save(path);
    } catch (...) {
        ReportCurrentError(context_.Messages);
        return false;
    }
    isModified_ = false;
    docPath_ = path;
    return true;
}

bool DocumentModel::LoadDoc(const std::string& path) {
    try {
        const IniDocument ini = IniDocument::Load(path);
        // A version error is for a file that was read; one that is not there says so.
        if (!ini.Exists())
            throw AppError(ErrFileNotFound, DefaultErrorSource,
                           RuntimeErrorMessage(ErrFileNotFound) + ": " + path);
        if (ini.GetLong("General", "OPMVer", 0) != FileVersion) RaiseOwnError(ErrFileVersion);
        info_ = {Text(ini, "General", "Title", "未命名"),
                 Text(ini, "General", "Author", "未知作者"), Text(ini, "General", "Note", ""),
                 Text(ini, "General", "Coo", "2")};
        // A count below 1 is an empty document: one saved without curves must open again.
        const int32_t count = std::max<int32_t>(ini.GetLong("General", "C", 1), 0);
        if (count > MaxCurves) RaiseRuntimeError(ErrSubscript);
        curveCount_ = count;
        for (int32_t i = 0; i < count; ++i)
            ReadCurve(ini, i, Slot(i));
        areas_ = ReadAreas(ini, count);
        for (int32_t i = 0; i < count; ++i) {
            CurveRecord& c = Slot(i);
            if (c.FType >= CurveGeneralY) continue;
            for (int k = 1; k <= 4; ++k)
                if (!c.SData(k).empty())
                    c.Data(k) = checked::Narrow(context_.Parser.ParseExpression(c.SData(k)));
        }
    } catch (...) {
        ReportCurrentError(context_.Messages);
        return false;
    }
    isModified_ = false;
    docPath_ = path;
    if (view_) view_->SetCaption(info_.Title);
    return true;
}

} // namespace orbiplot
