// Any bytes as the settings file and as the constants file.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "base/AppSettings.h"
#include "expr/modConst.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orbiplot::fuzz::Core core;
    try {
        orbiplot::LoadSettings(orbiplot::fuzz::Core::WriteFile("Orbiplot_Setting.ini", data, size));
    } catch (const orbiplot::AppError&) {
    }
    orbiplot::fuzz::Core::WriteFile("Orbiplot_Const.ini", data, size);
    orbiplot::modConst::LoadUserConstants(core.context);
    orbiplot::modConst::GetUserConstantList(core.context);
    return 0;
}
