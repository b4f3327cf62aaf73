#include "ParserTestSupport.h"

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

struct ErrorCase {
    std::string text;
    int32_t number;
    int32_t position;
    std::string source;
    std::string description;
};

const std::string Syntax = "表达式语法错误";
const std::string DivZero = "除数为零错误";
const std::string Paren = "缺少 ')'";
const std::string Atom = TraceToAtom;
const std::string Term = TraceToTerm;
const std::string InnerTerm =
    "ParseExpression->ParseNumExp->ParseTerm->ParseValue->ParseNumExp->ParseTerm";
const std::string Function = Atom + "->CallBuiltinFunction";

int32_t P(int code) { return ParserErrorNumber(code); }

} // namespace

TEST(ParserErrors, CodePositionTraceAndDescription) {
    const ErrorCase cases[] = {
        {"", P(1), 1, Atom, Syntax},
        {"--2", P(1), 2, Atom, Syntax},
        {"2+*3", P(1), 3, Atom, Syntax},
        {"3-", P(1), 3, "ParseExpression->ParseNumExp->ParseTerm->ParseValue->ParseAtom", Syntax},
        {".5", P(1), 1, Atom, Syntax},
        {"1e5", P(1), 2, Term, Syntax},
        {"2x", P(1), 2, Term, Syntax},
        {"1\n+2", P(1), 2, Term, Syntax},
        {"2)", P(1), 2, "ParseExpression", Syntax},
        {"2(3)", P(1), 2, "ParseExpression", Syntax},
        {"1+中", P(1), 3, Atom, Syntax},
        {"(2", P(3), 3, "ParseExpression->ParseNumExp->ParseTerm->ParseValue", Paren},
        {"sin(1", P(3), 6, Atom, Paren},
        {"sin()", P(1), 5, Atom + "->ParseNumExp->ParseTerm->ParseValue->ParseAtom", Syntax},
        {"1/0", P(2), 4, Term, DivZero},
        // whatever the dividend: nought by nought too, and a nought worked out
        {"0/0", P(2), 4, Term, DivZero},
        {"-3/(2-2)", P(2), 9, Term, DivZero},
        // a second decimal point ends the number with a syntax error
        {"1.2.3", P(1), 1, Atom, Syntax},
        {"2*0.5.1", P(1), 3, Atom, Syntax},
        {"(1/0)", P(2), 5, InnerTerm, DivZero},
        {"foo", P(8), 4, Atom, "常数 foo 不存在"},
        {"sin", P(8), 4, Atom, "常数 sin 不存在"},
        {"foo(1)", P(5), 7, Function, "函数 foo 不存在"},
        {"foo(1/0)", P(2), 8,
         "ParseExpression->ParseNumExp->ParseTerm->ParseValue->ParseAtom->ParseNumExp->ParseTerm",
         DivZero},
        // arithmetic failures carry runtime numbers through the same trace
        {"sqr(-1)", ErrInvalidCall, 8, Function, "无效的过程调用或参数"},
        {"10^400", ErrOverflow, 7, Term, "溢出"},
        {"1e300*1e300", P(1), 2, Term, Syntax},
        {"(-8)^(1/3)", ErrInvalidCall, 11, Term, "无效的过程调用或参数"},
        {"1" + std::string(400, '0'), ErrOverflow, 1, Atom, "溢出"},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const ErrorCase& c : cases) {
        const auto failure = ParseFailure(parser, c.text);
        ASSERT_TRUE(failure) << c.text;
        EXPECT_EQ(failure->number, c.number) << c.text;
        EXPECT_EQ(failure->position, c.position) << c.text;
        EXPECT_EQ(failure->source, c.source) << c.text;
        EXPECT_EQ(failure->description, c.description) << c.text;
    }
}

TEST(ParserErrors, OverflowingSumsAndProductsAreArithmeticErrors) {
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    const std::string big = "1" + std::string(308, '0');
    for (const std::string& text :
         std::vector<std::string>{big + "+" + big + "*9", big + "*10", "-" + big + "*10-" + big,
                                  big + "/0.1", std::string("exp(709)*exp(709)")}) {
        const auto failure = ParseFailure(parser, text);
        ASSERT_TRUE(failure) << text;
        EXPECT_EQ(failure->number, ErrOverflow) << text;
    }
    // Underflow is no error.
    EXPECT_EQ(parser.ParseExpression("1/" + big + "/" + big), 0);
}
