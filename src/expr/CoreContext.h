#pragma once

#include "base/AppSettings.h"
#include "base/RandomSource.h"
#include "base/Seams.h"
#include "base/clsINI.h"
#include "expr/clsExpressionParser.h"

#include <string>
#include <vector>

namespace orbiplot {

// The user's own named constants, in the order they were added; every name is also in
// the parser's table under its trimmed, upper-case form.
struct UserConstants {
    std::vector<std::string> Names; // as typed
    std::vector<double> Values;
};

// The application-wide objects that the window-free layers share: one parser, the user
// constants, the settings, the application folder and the seams to the person.
class CoreContext {
public:
    CoreContext(MessageSeam& messages, DialogSeam& dialogs, RandomSource& random,
                std::string appFolder)
        : Parser(random), Messages(messages), Dialogs(dialogs), Random(random),
          AppFolder(std::move(appFolder)) {}

    std::string SettingsFile() const;
    std::string ConstantsFile() const;

    clsExpressionParser Parser;
    UserConstants Constants;
    AppSettings Settings;
    clsINI INI;
    MessageSeam& Messages;
    DialogSeam& Dialogs;
    RandomSource& Random;
    std::string AppFolder;
};

} // namespace orbiplot
