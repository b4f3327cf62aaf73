// Any bytes as an INI file: read, asked for keys, changed and written back to bytes.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "base/clsINI.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        orbiplot::IniDocument ini = orbiplot::IniDocument::FromBytes(orbiplot::fuzz::Text(data, size));
        ini.GetString("General", "Title", 255, "");
        ini.GetLong("Grid", "Style", 0);
        ini.GetBoolean("General", "IsShowTip", true);
        ini.Set("Grid", "Unit", "1.5");
        const std::string bytes = ini.Serialize();
        orbiplot::IniDocument::FromBytes(bytes);
    } catch (const orbiplot::AppError&) {
    }
    return 0;
}
