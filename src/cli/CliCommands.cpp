#include "cli/CliCommands.h"

#include "analysis/Calculus.h"
#include "analysis/KeyPoints.h"
#include "base/AppError.h"
#include "base/AppSettings.h"
#include "base/NumberFormat.h"
#include "base/Threads.h"
#include "base/modError.h"
#include "calc/ExpressionCalculator.h"
#include "calc/LineCalculators.h"
#include "cli/RenderCommand.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "expr/Derivative.h"
#include "expr/modConst.h"
#include "plot/View.h"
#include "services/PictureExport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <ostream>
#include <string_view>
#include <tuple>

namespace orbiplot::cli {

namespace {

// Every message goes to stderr as its title line, then its text.
class CliMessageSeam : public MessageSeam {
public:
    explicit CliMessageSeam(std::ostream& err) : err_(err) {}
    MsgResult ShowMessage(const MessageRequest& request) override {
        err_ << request.Title << '\n' << request.Text << '\n';
        switch (request.Buttons) {
        case MsgButtons::OK: return MsgResult::OK;
        case MsgButtons::OKCancel: return MsgResult::Cancel;
        case MsgButtons::YesNo: return MsgResult::No;
        case MsgButtons::YesNoCancel: return MsgResult::Cancel;
        }
        return MsgResult::OK;
    }

private:
    std::ostream& err_;
};

// Nobody answers a dialog here.
class CliDialogSeam : public DialogSeam {
public:
    std::optional<std::string> ShowFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<Rgb> ShowColorDialog(Rgb, const std::array<Rgb, 16>&) override { return {}; }
};

struct Context {
    explicit Context(std::ostream& err)
        : messages(err), core(messages, dialogs, random, std::string()), parser(core.Parser) {}
    CliMessageSeam messages;
    CliDialogSeam dialogs;
    DefaultRandomSource random;
    CoreContext core;
    clsExpressionParser& parser;
};

using Words = std::vector<std::string>;

constexpr const char* RenderUsage = "render FILE.opd OUT.png|OUT.bmp|OUT.svg|OUT.pdf [--size WxH] "
                                    "[--dpi N] [--view XMIN,XMAX,YMIN,YMAX]";
constexpr const char* PointsUsage =
    "points FILE.opd [--size WxH] [--view XMIN,XMAX,YMIN,YMAX] [--seconds N]";

struct Command {
    std::string_view name;
    std::string_view usage;
    size_t minArguments;
    size_t maxArguments;
    std::function<int(Context&, const Words&, std::ostream&, std::ostream&)> run;
};

std::string Hex32(int32_t number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(number));
    return buf;
}

void PrintErrorFields(const AppError& error, int32_t position, std::ostream& out) {
    out << "number=" << Hex32(error.Number) << '\n'
        << "position=" << position << '\n'
        << "source=" << error.Source << '\n'
        << "description=" << error.Description << '\n';
}

std::string Round17(double value) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 17);
    return std::string(buf, result.ptr);
}

int Eval(Context& context, const Words& args, std::ostream& out, std::ostream&) {
    try {
        out << Round17(context.parser.ParseExpression(args[0])) << '\n';
        return 0;
    } catch (const AppError& error) {
        PrintErrorFields(error, context.parser.LastErrorPosition(), out);
        return 1;
    }
}

// The expression calculator's result box after one compute in a fresh window.
int Calc(Context& context, const Words& args, std::ostream& out, std::ostream&) {
    const ExpressionOutcome outcome = ComputeExpression(context.parser, args[0], {});
    if (outcome.Error) ReportError(context.messages, *outcome.Error);
    out << outcome.State.ResultText << '\n';
    return 0;
}

// derive EXPRESSION [--var x|y]: the derivative's text, or the report and exit 1.
int Derive(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    std::string var = "x";
    if (args.size() == 3 && args[1] == "--var" && (args[2] == "x" || args[2] == "y"))
        var = args[2];
    else if (args.size() != 1) {
        err << "usage: orbiplot-cli derive EXPRESSION [--var x|y]\n";
        return 2;
    }
    try {
        out << DeriveExpression(context.parser, args[0], var) << '\n';
        return 0;
    } catch (...) {
        ReportCurrentError(context.messages);
        return 1;
    }
}

// A line calculator's output box after one press of compute in a fresh dialog.
int ShowCalculatorOutcome(Context& context, const CalcOutcome& outcome, std::ostream& out) {
    if (outcome.Message) context.messages.ShowMessage(*outcome.Message);
    if (outcome.Error) ReportError(context.messages, *outcome.Error);
    out << outcome.Output.value_or(CalculatorInitialOutput) << '\n';
    return 0;
}

int PointLine(Context& context, const Words& args, std::ostream& out, std::ostream&) {
    return ShowCalculatorOutcome(context, ComputePointLine({args[0], args[1], args[2], args[3]}),
                                 out);
}

int LineLine(Context& context, const Words& args, std::ostream& out, std::ostream&) {
    return ShowCalculatorOutcome(
        context, ComputeLineLine({"", args[0], args[1], args[2], args[3], args[4], args[5]}), out);
}

// consts list | consts add NAME VALUE | consts remove INDEX: what the constants manager's
// buttons do, then the save of its closing.
int Consts(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    const std::string& verb = args[0];
    const bool list = verb == "list" && args.size() == 1;
    const bool add = verb == "add" && args.size() == 3;
    const bool remove = verb == "remove" && args.size() == 2;
    if (!list && !add && !remove) {
        err << "usage: orbiplot-cli consts list | add NAME VALUE | remove INDEX\n";
        return 2;
    }
    if (context.core.AppFolder.empty()) {
        context.core.AppFolder = ApplicationFolder();
        modConst::LoadUserConstants(context.core);
    }
    if (list) {
        for (const std::string& line : modConst::GetUserConstantList(context.core))
            out << line << '\n';
        return 0;
    }
    try {
        if (add) {
            modConst::AddUserConstantText(context.core, args[1], args[2]);
        } else {
            int32_t index = 0;
            const auto [end, ec] =
                std::from_chars(args[1].data(), args[1].data() + args[1].size(), index);
            if (ec != std::errc() || end != args[1].data() + args[1].size()) index = 0;
            modConst::RemoveSelectedConstant(context.core, index >= 1 ? index - 1 : -1);
        }
    } catch (...) {
        ReportCurrentError(context.messages);
        return 1;
    }
    return modConst::SaveUserConstants(context.core) ? 0 : 1;
}

int Subst(Context& context, const Words& args, std::ostream& out, std::ostream&) {
    try {
        out << SubstituteVariable(args[0], args[1], args[2]) << '\n';
        return 0;
    } catch (const AppError& error) {
        PrintErrorFields(error, context.parser.LastErrorPosition(), out);
        return 1;
    }
}

int List(Context& context, const Words& args, std::ostream& out, std::ostream&) {
    DocumentModel document(context.core);
    if (!document.LoadDoc(args[0])) return 1;
    const DocInfo info = document.GetDocInfo();
    out << "title=" << info.Title << "\nauthor=" << info.Author << "\nnote=" << info.Note
        << "\ncoo=" << info.Coordinates << "\ncount=" << document.CurveCount() << '\n';
    const std::vector<std::string> descriptions = document.GetFunList();
    const std::vector<bool> shown = document.GetFunListShowHide();
    for (size_t i = 0; i < descriptions.size(); ++i)
        out << "curve " << i << ' ' << (shown[i] ? 1 : 0) << ' ' << descriptions[i] << '\n';
    return 0;
}

// Loads a document and saves it under another name as Save As does.
int Resave(Context& context, const Words& args, std::ostream&, std::ostream&) {
    DocumentModel document(context.core);
    if (!document.LoadDoc(args[0])) return 1;
    return document.SaveDoc(args[1], true) ? 0 : 1;
}

// A whole number that is the whole text: digits only, within [least, most].
std::optional<long long> WholeNumber(std::string_view text, long long least, long long most) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        text.front() == '-' || value < least || value > most)
        return std::nullopt;
    return value;
}

// A decimal number that is the whole text, finite.
std::optional<double> Decimal(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

constexpr int MostSide = 16384;
constexpr long long MostPixels = 64LL << 20;

// The window's size from "WxH": up to 16384 a side and 64 million pixels.
std::optional<std::pair<int, int>> SizeOf(const std::string& text) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    const auto w = WholeNumber(std::string_view(text).substr(0, x), 1, MostSide);
    const auto h = WholeNumber(std::string_view(text).substr(x + 1), 1, MostSide);
    if (!w || !h || *w * *h > MostPixels) return std::nullopt;
    return std::pair{static_cast<int>(*w), static_cast<int>(*h)};
}

// The options of render and points, each at most once; a message naming the option and what
// it takes when one is wrong.
struct PictureOptions {
    int width = 640, height = 480, dpi = 96;
    int seconds = 60;                          // points: the longest a search may take
    std::optional<std::array<double, 4>> view; // xmin, xmax, ymin, ymax
};

std::optional<PictureOptions> ReadOptions(const Words& args, size_t first, bool withPicture,
                                          std::ostream& err) {
    PictureOptions o;
    std::vector<std::string> seen;
    for (size_t i = first; i < args.size(); i += 2) {
        const std::string& option = args[i];
        const bool known = option == "--size" || option == "--view" ||
                           (withPicture ? option == "--dpi" : option == "--seconds");
        if (!known || std::find(seen.begin(), seen.end(), option) != seen.end()) return {};
        seen.push_back(option);
        if (i + 1 >= args.size()) return {};
        const std::string& value = args[i + 1];
        if (option == "--size") {
            const auto size = SizeOf(value);
            if (!size) {
                err << "orbiplot-cli: --size takes WxH, each side 1 to " << MostSide
                    << " pixels and at most " << MostPixels << " pixels in all, not " << value
                    << '\n';
                return {};
            }
            std::tie(o.width, o.height) = *size;
        } else if (option == "--dpi") {
            const auto dpi = WholeNumber(value, 10, 2400);
            if (!dpi) {
                err << "orbiplot-cli: --dpi takes a whole number from 10 to 2400, not " << value
                    << '\n';
                return {};
            }
            o.dpi = static_cast<int>(*dpi);
        } else if (option == "--seconds") {
            const auto seconds = WholeNumber(value, 1, 86400);
            if (!seconds) {
                err << "orbiplot-cli: --seconds takes a whole number from 1 to 86400, not " << value
                    << '\n';
                return {};
            }
            o.seconds = static_cast<int>(*seconds);
        } else {
            std::array<double, 4> edges{};
            std::string_view rest = value;
            bool good = true;
            for (size_t k = 0; k < 4 && good; ++k) {
                const size_t comma = k < 3 ? rest.find(',') : rest.size();
                const auto number =
                    comma == std::string_view::npos ? std::nullopt : Decimal(rest.substr(0, comma));
                good = number.has_value();
                if (good) edges[k] = *number;
                rest = good && k < 3 ? rest.substr(comma + 1) : rest;
            }
            // The view's edges are singles: the rectangle must have some size in them.
            const auto single = [](double v) { return std::fabs(v) < 1e30; };
            if (!good || !(edges[0] < edges[1]) || !(edges[2] < edges[3]) ||
                !std::all_of(edges.begin(), edges.end(), single) ||
                static_cast<float>(edges[0]) == static_cast<float>(edges[1]) ||
                static_cast<float>(edges[2]) == static_cast<float>(edges[3])) {
                err << "orbiplot-cli: --view takes XMIN,XMAX,YMIN,YMAX with XMIN < XMAX and "
                       "YMIN < YMAX, each within 1e30, not "
                    << value << '\n';
                return {};
            }
            o.view = edges;
        }
    }
    return o;
}

// The first view of a window that size, or the world rectangle asked for.
View ViewOf(const PictureOptions& o) {
    View view(o.width * TwipsPerPixel, o.height * TwipsPerPixel);
    if (o.view) view.ShowRectangle((*o.view)[0], (*o.view)[3], (*o.view)[1], (*o.view)[2]);
    return view;
}

// render FILE.opd OUT [--size WxH] [--dpi N] [--view XMIN,XMAX,YMIN,YMAX]
int Render(Context& context, const Words& args, std::ostream&, std::ostream& err) {
    const auto options = ReadOptions(args, 2, true, err);
    if (!options) {
        err << "usage: orbiplot-cli " << RenderUsage << '\n';
        return 2;
    }
    // A PNG or BMP scaled by the dpi fits in memory too; vectors are drawn at the window's size.
    const std::optional<PictureFormat> format = FormatOfPath(args[1]);
    const bool raster = !format || *format == PictureFormat::Png || *format == PictureFormat::Bmp;
    const double scale = options->dpi / 96.0;
    const double w = std::ceil(options->width * scale), h = std::ceil(options->height * scale);
    if (raster && (w > 30000 || h > 30000 || w * h > static_cast<double>(MostPixels))) {
        err << "orbiplot-cli: at " << options->dpi << " dpi the picture would have " << w << "x"
            << h << " pixels; at most 30000 a side and " << MostPixels
            << " in all: ask for a smaller --size or --dpi\n";
        return 2;
    }
    return RenderDocument(context.core, args[0], args[1], ViewOf(*options), options->dpi, err);
}

// points FILE.opd [--size WxH] [--view XMIN,XMAX,YMIN,YMAX]: the key points in the first view
// of a window that size, or in the rectangle asked for.
int Points(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    const auto options = ReadOptions(args, 1, false, err);
    if (!options) {
        err << "usage: orbiplot-cli " << PointsUsage << '\n';
        return 2;
    }
    DocumentModel document(context.core);
    if (!document.LoadDoc(args[0])) return 1;
    const View view = ViewOf(*options);
    const PlaneBox box{view.ScaleLeft(), view.Right(), view.Bottom(), view.ScaleTop()};
    // A search of very many points stops at the time limit with what it has, and says so.
    std::atomic<bool> stop{false};
    std::vector<int32_t> partial;
    std::vector<KeyPoint> found;
    {
        const Deadline deadline(stop, std::chrono::seconds(options->seconds));
        found = FindKeyPoints(document, context.core.Parser, box, &stop, &partial);
    }
    char line[160];
    for (const KeyPoint& p : found) {
        if (p.Kind == KeyPointKind::Intersection)
            std::snprintf(line, sizeof line, "%s %d %d %.17g %.17g\n", KindWord(p.Kind).c_str(),
                          p.Curve, p.Other, p.X, p.Y);
        else
            std::snprintf(line, sizeof line, "%s %d %.17g %.17g\n", KindWord(p.Kind).c_str(),
                          p.Curve, p.X, p.Y);
        out << line;
    }
    // What the window's list says in its tip: the curves it could not search, or only in part.
    const std::vector<std::string> names = document.GetFunList();
    const auto name = [&](int32_t curve) {
        return "curve " + std::to_string(curve) + " " +
               (static_cast<size_t>(curve) < names.size() ? names[static_cast<size_t>(curve)] : "");
    };
    for (const int32_t curve : CurvesWithoutKeyPoints(document, context.core.Parser))
        err << name(curve) << ": " << NoKeyPointsText << '\n';
    for (const int32_t curve : partial)
        err << name(curve) << ": " << PartialKeyPointsText << '\n';
    if (stop) {
        err << "orbiplot-cli: 关键点太多, " << options->seconds
            << " 秒内未能找完, 只列出已找到的点 (--seconds 可以延长)\n";
        return 1;
    }
    return 0;
}

// A number of the command line: a decimal, or an expression of the language (pi/2).
std::optional<double> Argument(Context& context, const std::string& text) {
    try {
        const double v = context.parser.ParseExpression(text);
        if (std::isfinite(v)) return v;
    } catch (const AppError&) {
        // Said by the caller.
    }
    return std::nullopt;
}

// Loads the document and checks a curve index; the curve's index, or nothing after saying
// why.
std::optional<int32_t> CurveOf(Context& context, DocumentModel& document, const Words& args,
                               size_t at, std::ostream& err) {
    if (!document.LoadDoc(args[0])) return std::nullopt;
    const auto index = WholeNumber(args[at], 0, MaxCurves - 1);
    if (!index || *index >= document.CurveCount()) {
        err << "orbiplot-cli: the document has no curve " << args[at] << " (it has "
            << document.CurveCount() << ", counted from 0)\n";
        return std::nullopt;
    }
    (void)context;
    return static_cast<int32_t>(*index);
}

std::string Digits17(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v == 0 ? 0.0 : v);
    return text;
}

// tangent FILE.opd I X: the tangent and the normal of curve I at X (the abscissa of Y=f(X),
// the ordinate of X=f(Y), the parameter of parametric and polar curves).
int Tangent(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    DocumentModel document(context.core);
    const auto curve = CurveOf(context, document, args, 1, err);
    if (!curve) return 1;
    const auto t = Argument(context, args[2]);
    if (!t) {
        err << "orbiplot-cli: " << args[2] << " is no number\n";
        return 1;
    }
    std::string problem;
    const auto tangent = TangentAt(document.Curve(*curve), context.parser, *t, problem);
    if (!tangent) {
        err << "orbiplot-cli: " << problem << '\n';
        return 1;
    }
    const auto line = [&](const char* name, const TangentLine& l) {
        if (l.Vertical)
            out << name << " vertical " << Digits17(l.X) << '\n';
        else
            out << name << ' ' << Digits17(l.Slope) << ' ' << Digits17(l.Y - l.Slope * l.X) << '\n';
    };
    line("tangent", *tangent);
    line("normal", NormalOf(*tangent));
    return 0;
}

// What an integral says: its numbers, or why there are none.
int PrintIntegral(const Integral& result, bool length, std::ostream& out, std::ostream& err) {
    if (!result.Ok()) {
        err << "orbiplot-cli: " << result.Problem << '\n';
        return 1;
    }
    if (length) {
        out << "length " << Digits17(result.Signed) << '\n';
    } else {
        out << "integral " << Digits17(result.Signed) << '\n';
        out << "area " << Digits17(result.Unsigned) << '\n';
    }
    return 0;
}

// area FILE.opd I A B [J]: the integral and the area of curve I (between I and J) from A to B.
int Area(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    DocumentModel document(context.core);
    const auto curve = CurveOf(context, document, args, 1, err);
    if (!curve) return 1;
    std::optional<int32_t> other = -1;
    if (args.size() == 5 && !(other = CurveOf(context, document, args, 4, err))) return 1;
    const auto a = Argument(context, args[2]), b = Argument(context, args[3]);
    if (!a || !b) {
        err << "orbiplot-cli: the ends must be numbers\n";
        return 1;
    }
    return PrintIntegral(AreaOf(document, context.parser, *curve, *other, *a, *b), false, out, err);
}

// length FILE.opd I A B: the length of curve I from A to B.
int Length(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    DocumentModel document(context.core);
    const auto curve = CurveOf(context, document, args, 1, err);
    if (!curve) return 1;
    const auto a = Argument(context, args[2]), b = Argument(context, args[3]);
    if (!a || !b) {
        err << "orbiplot-cli: the ends must be numbers\n";
        return 1;
    }
    return PrintIntegral(LengthOf(document, context.parser, *curve, *a, *b), true, out, err);
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"eval", "eval EXPRESSION", 1, 1, Eval},
        {"calc", "calc EXPRESSION", 1, 1, Calc},
        {"derive", "derive EXPRESSION [--var x|y]", 1, 3, Derive},
        {"pl", "pl POINT A B C", 4, 4, PointLine},
        {"ll", "ll A1 B1 C1 A2 B2 C2", 6, 6, LineLine},
        {"subst", "subst EXPRESSION VAR VALUETEXT", 3, 3, Subst},
        {"consts", "consts list | consts add NAME VALUE | consts remove INDEX", 1, 3, Consts},
        {"list", "list FILE.opd", 1, 1, List},
        {"resave", "resave IN.opd OUT.opd", 2, 2, Resave},
        {"render", RenderUsage, 2, 8, Render},
        {"points", PointsUsage, 1, 7, Points},
        {"tangent", "tangent FILE.opd I X", 3, 3, Tangent},
        {"area", "area FILE.opd I A B [J]", 4, 5, Area},
        {"length", "length FILE.opd I A B", 4, 4, Length},
    };
    return commands;
}

void PrintUsage(std::ostream& err) {
    err << "usage: orbiplot-cli [--app-dir DIR] COMMAND ARGUMENTS...\n"
           "  --app-dir DIR  use the constants and settings stored in DIR\ncommands:\n";
    for (const Command& command : Commands())
        err << "  " << command.usage << '\n';
}

} // namespace

int RunCli(const Words& words, std::ostream& out, std::ostream& err) {
    size_t next = 0;
    std::optional<std::string> appDir;
    while (next < words.size() && words[next].rfind("--", 0) == 0) {
        if (words[next] == "--app-dir" && next + 1 < words.size()) {
            appDir = words[next + 1];
            next += 2;
        } else {
            err << "orbiplot-cli: unknown option " << words[next] << '\n';
            PrintUsage(err);
            return 2;
        }
    }
    if (next == words.size()) {
        PrintUsage(err);
        return 2;
    }
    for (const Command& command : Commands()) {
        if (command.name != words[next]) continue;
        const Words args(words.begin() + static_cast<std::ptrdiff_t>(next) + 1, words.end());
        if (args.size() < command.minArguments || args.size() > command.maxArguments) {
            err << "usage: orbiplot-cli " << command.usage << '\n';
            return 2;
        }
        Context context(err);
        if (appDir) {
            // As start-up does, without writing anything.
            context.core.AppFolder = *appDir;
            modConst::LoadUserConstants(context.core);
            try {
                context.core.Settings = LoadSettings(context.core.SettingsFile());
            } catch (...) {
                ReportCurrentError(context.messages);
                return 1;
            }
        }
        return command.run(context, args, out, err);
    }
    err << "orbiplot-cli: unknown command " << words[next] << '\n';
    PrintUsage(err);
    return 2;
}

} // namespace orbiplot::cli
