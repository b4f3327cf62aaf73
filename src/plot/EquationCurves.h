#pragma once

#include "base/Seams.h"

#include <atomic>
#include <optional>
#include <string>

namespace orbiplot {

class Canvas;
class View;
class clsExpressionParser;
class MessageSeam;

// What drawing an equation curve needs; the parser is the program's shared one.
struct EquationContext {
    clsExpressionParser& Parser;
    View& ViewState;
    Canvas& Surface;
    Clock& Timer;
    MessageSeam& Messages;
    // Set from elsewhere to end the sampling early; it then raises DrawingStopped.
    const std::atomic<bool>* Stop = nullptr;
    // Threads a long run may be shared out on; 0: one per core.
    unsigned Threads = 0;
    // Samples that fail with an arithmetic error are left out and break the line, and jumps
    // through a pole are not stroked, instead of the curve being abandoned at its first
    // failing sample.
    bool DefinedOnly = false;
};

// A drawing ended early because it was asked to stop: nothing to report.
struct DrawingStopped {};

// The seconds spent, or nothing when an evaluation failed: the curve is then abandoned
// whole, and the error has been reported once.
struct CurveTiming {
    float Elapsed = 0;
    bool Drawn = false;
    int32_t Failure = 0;     // the number of the error that abandoned the curve
    std::string FailureText; // and its description
    bool Undrawable = false; // drawn, but its points could not be found (an implicit curve)
    bool ZeroPatch = false;  // an implicit curve's F is zero over a whole patch of the view
};

CurveTiming DrawYofX(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color);
CurveTiming DrawXofY(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color);
CurveTiming DrawParametric(EquationContext& c, const std::string& expressionX,
                           const std::string& expressionY, float min, float max, Rgb color);
CurveTiming DrawPolar(EquationContext& c, const std::string& expression, Rgb color);

} // namespace orbiplot
