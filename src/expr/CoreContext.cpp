#include "expr/CoreContext.h"

#include "base/FileAccess.h"

namespace orbiplot {

std::string CoreContext::SettingsFile() const { return JoinPath(AppFolder, SettingsFileName); }
std::string CoreContext::ConstantsFile() const { return JoinPath(AppFolder, ConstantsFileName); }

} // namespace orbiplot
