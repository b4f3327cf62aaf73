#include "cli/CliCommands.h"

#include "analysis/KeyPoints.h"
#include "base/AppError.h"
#include "base/AppSettings.h"
#include "base/NumberFormat.h"
#include "base/modError.h"
#include "calc/ExpressionCalculator.h"
#include "calc/LineCalculators.h"
#include "cli/RenderCommand.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "expr/modConst.h"
#include "plot/View.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string_view>

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

// The window's size from "WxH": up to 16384 a side and 64 million pixels.
bool ParseSize(const std::string& text, int& width, int& height) {
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X') ||
        w < 1 || h < 1 || w > 16384 || h > 16384 || static_cast<long>(w) * h > 64L << 20)
        return false;
    width = w;
    height = h;
    return true;
}

// render FILE.opd OUT [--size WxH] [--dpi N]
int Render(Context& context, const Words& args, std::ostream&, std::ostream& err) {
    int width = 640, height = 480, dpi = 96;
    bool sized = false, resolved = false;
    bool ok = args.size() % 2 == 0;
    for (size_t i = 2; ok && i + 1 < args.size(); i += 2) {
        int w = 0;
        char rest = 0;
        if (args[i] == "--size" && !sized) {
            ok = ParseSize(args[i + 1], width, height);
            sized = true;
        } else if (args[i] == "--dpi" && !resolved) {
            ok = std::sscanf(args[i + 1].c_str(), "%d%c", &w, &rest) == 1 && w >= 10 && w <= 2400;
            dpi = w;
            resolved = true;
        } else {
            ok = false;
        }
    }
    // The scaled picture fits in memory too.
    const double scale = dpi / 96.0;
    if (ok && (width * scale > 30000 || height * scale > 30000 ||
               width * scale * height * scale > double(64L << 20)))
        ok = false;
    if (!ok) {
        err << "usage: orbiplot-cli render FILE.opd OUT.png|OUT.bmp|OUT.svg|OUT.pdf [--size WxH] "
               "[--dpi N]\n";
        return 2;
    }
    return RenderDocument(context.core, args[0], args[1], width, height, dpi, err);
}

// points FILE.opd [--size WxH]: the key points in the first view of a window that size.
int Points(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    int width = 640, height = 480;
    if (args.size() != 1 &&
        (args.size() != 3 || args[1] != "--size" || !ParseSize(args[2], width, height))) {
        err << "usage: orbiplot-cli points FILE.opd [--size WxH]\n";
        return 2;
    }
    DocumentModel document(context.core);
    if (!document.LoadDoc(args[0])) return 1;
    const View view(width * TwipsPerPixel, height * TwipsPerPixel);
    const PlaneBox box{view.ScaleLeft(), view.Right(), view.Bottom(), view.ScaleTop()};
    char line[160];
    for (const KeyPoint& p : FindKeyPoints(document, context.core.Parser, box)) {
        if (p.Kind == KeyPointKind::Intersection)
            std::snprintf(line, sizeof line, "%s %d %d %.17g %.17g\n", KindWord(p.Kind).c_str(),
                          p.Curve, p.Other, p.X, p.Y);
        else
            std::snprintf(line, sizeof line, "%s %d %.17g %.17g\n", KindWord(p.Kind).c_str(),
                          p.Curve, p.X, p.Y);
        out << line;
    }
    return 0;
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"eval", "eval EXPRESSION", 1, 1, Eval},
        {"calc", "calc EXPRESSION", 1, 1, Calc},
        {"pl", "pl POINT A B C", 4, 4, PointLine},
        {"ll", "ll A1 B1 C1 A2 B2 C2", 6, 6, LineLine},
        {"subst", "subst EXPRESSION VAR VALUETEXT", 3, 3, Subst},
        {"consts", "consts list | consts add NAME VALUE | consts remove INDEX", 1, 3, Consts},
        {"list", "list FILE.opd", 1, 1, List},
        {"resave", "resave IN.opd OUT.opd", 2, 2, Resave},
        {"render", "render FILE.opd OUT.png|OUT.bmp|OUT.svg|OUT.pdf [--size WxH] [--dpi N]", 2, 6,
         Render},
        {"points", "points FILE.opd [--size WxH]", 1, 3, Points},
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
