#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbiplot {
class CoreContext;
}

// The store of user constants and its file.
namespace orbiplot::modConst {

// Registers the constant with the parser (its errors pass to the caller), then lists it.
void AddUserConstant(CoreContext& context, std::string_view name, double value);

// The longest name the constants file reads back, in bytes of the 8-bit file.
inline constexpr size_t MaxNameLength = 62;

// The constants manager's add: a value text that is no number, or a value the file cannot
// keep, raises the invalid-value error; a name longer than the file keeps raises the
// invalid-name error; the parser's name checks apply as in AddUserConstant.
void AddUserConstantText(CoreContext& context, std::string_view name, std::string_view valueText);

// The constants manager's remove of list line selectedRow (0-based; -1 when none is
// selected, which raises the no-constant-selected error).
void RemoveSelectedConstant(CoreContext& context, int32_t selectedRow);

// A new value, in memory only, for the constant at index (0-based): the parser and the list
// both give it from now on; the file is not written.
void SetUserConstantValue(CoreContext& context, size_t index, double value);

// Index is 1-based; outside the list raises "subscript out of range".
void RemoveUserConstant(CoreContext& context, int32_t index);

// "name - value" lines, name as typed.
std::vector<std::string> GetUserConstantList(const CoreContext& context);

// Reads the constants file. An entry that fails is skipped and the others load; every
// skipped entry is named in one report.
void LoadUserConstants(CoreContext& context);

// Rewrites the constants file from scratch; a failure is reported, the old file stays, and
// the result is false.
bool SaveUserConstants(CoreContext& context);

} // namespace orbiplot::modConst
