#include "expr/modConst.h"

#include "base/AppError.h"
#include "base/FileAccess.h"
#include "base/NumberFormat.h"
#include "base/TextEncoding.h"
#include "base/clsINI.h"
#include "base/modError.h"
#include "expr/CoreContext.h"

namespace orbiplot::modConst {

void AddUserConstant(CoreContext& context, std::string_view name, double value) {
    context.Parser.AddConstant(name, value);
    context.Constants.Names.emplace_back(name);
    context.Constants.Values.push_back(value);
}

void AddUserConstantText(CoreContext& context, std::string_view name, std::string_view valueText) {
    if (!IsNumericText(valueText)) RaiseOwnError(ErrConstantValue);
    const double value = TextToDouble(valueText);
    // What the file cannot keep is refused now, not lost at the next start: a name that
    // fills the reader's buffer, a value whose 15-digit text rounds beyond the largest double.
    if (GbkLength(name) >= MaxNameLength + 1)
        throw AppError(ParserErrorNumber(4), DefaultErrorSource,
                       "常数名过长 (最多 " + std::to_string(MaxNameLength) + " 个字符)");
    try {
        TextToDouble(GeneralText(value));
    } catch (const AppError&) {
        RaiseOwnError(ErrConstantValue);
    }
    AddUserConstant(context, name, value);
}

void SetUserConstantValue(CoreContext& context, size_t index, double value) {
    UserConstants& list = context.Constants;
    if (index >= list.Names.size()) RaiseRuntimeError(ErrSubscript);
    context.Parser.SetConstant(list.Names[index], value);
    list.Values[index] = value;
}

void RemoveSelectedConstant(CoreContext& context, int32_t selectedRow) {
    if (selectedRow < 0) RaiseOwnError(ErrNoConstantSelected);
    RemoveUserConstant(context, selectedRow + 1);
}

void RemoveUserConstant(CoreContext& context, int32_t index) {
    UserConstants& list = context.Constants;
    if (index < 1 || static_cast<size_t>(index) > list.Names.size())
        RaiseRuntimeError(ErrSubscript);
    const size_t i = static_cast<size_t>(index) - 1;
    context.Parser.RemoveConstant(list.Names[i]);
    list.Names.erase(list.Names.begin() + static_cast<std::ptrdiff_t>(i));
    list.Values.erase(list.Values.begin() + static_cast<std::ptrdiff_t>(i));
}

std::vector<std::string> GetUserConstantList(const CoreContext& context) {
    const UserConstants& list = context.Constants;
    std::vector<std::string> lines;
    lines.reserve(list.Names.size());
    for (size_t i = 0; i < list.Names.size(); ++i)
        lines.push_back(list.Names[i] + " - " + GeneralText(list.Values[i]));
    return lines;
}

namespace {

// One report for every entry that could not be read: the first one's box, with the others
// listed after it.
AppError SkippedEntries(const std::vector<std::pair<int64_t, AppError>>& skipped) {
    AppError report = skipped.front().second;
    if (skipped.size() == 1) return report;
    constexpr size_t Listed = 10;
    report.Description +=
        "\n\n常数文件中共有 " + std::to_string(skipped.size()) + " 项未能读入, 已跳过:";
    for (size_t i = 0; i < skipped.size() && i < Listed; ++i)
        report.Description +=
            "\n第 " + std::to_string(skipped[i].first) + " 项: " + skipped[i].second.Description;
    if (skipped.size() > Listed) report.Description += "\n……";
    return report;
}

} // namespace

void LoadUserConstants(CoreContext& context) {
    const std::string path = context.ConstantsFile();
    if (!FileExists(path)) return;
    // One read serves every key: nothing changes the file while it is loaded.
    IniDocument ini;
    try {
        ini = IniDocument::Load(path);
    } catch (...) {
        ReportCurrentError(context.Messages);
        return;
    }
    const int64_t count = ini.GetLong("Data", "M", 0);
    std::vector<std::pair<int64_t, AppError>> skipped;
    // A failing entry is skipped and the rest still load. The first index with neither of
    // its keys ends loading: a failure where the count promised an entry, silently beyond
    // it (entries added by hand without raising the count still load).
    for (int64_t i = 1;; ++i) {
        const std::string n = std::to_string(i);
        const bool present = ini.Get("Data", "N" + n) || ini.Get("Data", "V" + n);
        if (!present && i > count) break;
        try {
            const IniValue name = ini.GetString("Data", "N" + n, MaxNameLength + 2, "");
            const IniValue valueText = ini.GetString("Data", "V" + n, 64, "");
            AddUserConstant(context, name.ToText(), valueText.ToDouble());
        } catch (...) {
            skipped.emplace_back(i, CurrentError());
        }
        if (!present) break;
    }
    if (!skipped.empty()) ReportError(context.Messages, SkippedEntries(skipped));
}

bool SaveUserConstants(CoreContext& context) {
    const UserConstants& list = context.Constants;
    try {
        IniDocument ini;
        ini.Set("Data", "M", std::to_string(list.Names.size()));
        for (size_t i = 0; i < list.Names.size(); ++i)
            ini.Set("Data", "N" + std::to_string(i + 1), list.Names[i]);
        for (size_t i = 0; i < list.Values.size(); ++i)
            ini.Set("Data", "V" + std::to_string(i + 1), GeneralText(list.Values[i]));
        ini.Save(context.ConstantsFile());
        return true;
    } catch (...) {
        ReportCurrentError(context.Messages);
        return false;
    }
}

} // namespace orbiplot::modConst
