#include "expr/modConst.h"

#include "base/AppError.h"
#include "base/FileAccess.h"
#include "base/NumberFormat.h"
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
    AddUserConstant(context, name, TextToDouble(valueText));
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

void LoadUserConstants(CoreContext& context) {
    const std::string path = context.ConstantsFile();
    if (!FileExists(path)) return;
    // One read serves every key: nothing changes the file while it is loaded.
    const IniDocument ini = IniDocument::Load(path);
    try {
        const int32_t count = ini.GetLong("Data", "M", 0);
        for (int32_t i = 1; i <= count; ++i) {
            const std::string n = std::to_string(i);
            const IniValue name = ini.GetString("Data", "N" + n, 64, "");
            const IniValue valueText = ini.GetString("Data", "V" + n, 64, "");
            const double value = valueText.ToDouble();
            AddUserConstant(context, name.ToText(), value);
        }
    } catch (...) {
        ReportCurrentError(context.Messages);
    }
}

void SaveUserConstants(CoreContext& context) {
    const UserConstants& list = context.Constants;
    try {
        IniDocument ini;
        ini.Set("Data", "M", std::to_string(list.Names.size()));
        for (size_t i = 0; i < list.Names.size(); ++i)
            ini.Set("Data", "N" + std::to_string(i + 1), list.Names[i]);
        for (size_t i = 0; i < list.Values.size(); ++i)
            ini.Set("Data", "V" + std::to_string(i + 1), GeneralText(list.Values[i]));
        ini.Save(context.ConstantsFile());
    } catch (...) {
        ReportCurrentError(context.Messages);
    }
}

} // namespace orbiplot::modConst
