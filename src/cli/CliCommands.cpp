#include "cli/CliCommands.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/modError.h"
#include "expr/clsExpressionParser.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string_view>

namespace orbiplot::cli {

namespace {

struct Context {
    clsExpressionParser parser;
};

using Words = std::vector<std::string>;

struct Command {
    std::string_view name;
    std::string_view usage;
    size_t argumentCount;
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

void PrintReport(const AppError& error, std::ostream& err) {
    const ErrorReport report = BuildErrorReport(error);
    err << report.Title << '\n' << report.Text << '\n';
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
int Calc(Context& context, const Words& args, std::ostream& out, std::ostream& err) {
    std::string result;
    try {
        result = FormatNumber(context.parser.ParseExpression(args[0]), "#0.0######");
    } catch (const AppError& error) {
        PrintReport(error, err);
        if (IsParserError(error.Number)) result = "<语法错误>";
    }
    out << result << '\n';
    return 0;
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

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"eval", "eval EXPRESSION", 1, Eval},
        {"calc", "calc EXPRESSION", 1, Calc},
        {"subst", "subst EXPRESSION VAR VALUETEXT", 3, Subst},
    };
    return commands;
}

void PrintUsage(std::ostream& err) {
    err << "usage: orbiplot-cli [OPTIONS] COMMAND ARGUMENTS...\ncommands:\n";
    for (const Command& command : Commands()) err << "  " << command.usage << '\n';
}

} // namespace

int RunCli(const Words& words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        PrintUsage(err);
        return 2;
    }
    for (const Command& command : Commands()) {
        if (command.name != words[0]) continue;
        const Words args(words.begin() + 1, words.end());
        if (args.size() != command.argumentCount) {
            err << "usage: orbiplot-cli " << command.usage << '\n';
            return 2;
        }
        Context context;
        return command.run(context, args, out, err);
    }
    err << "orbiplot-cli: unknown command " << words[0] << '\n';
    PrintUsage(err);
    return 2;
}

} // namespace orbiplot::cli
