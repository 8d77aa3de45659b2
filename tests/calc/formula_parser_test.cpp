#include "formula_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrum::calc {
namespace {

// The tree in prefix form: (op operands...), numbers as their exact text.
std::string prefixForm(const FormulaNode& node) {
    std::string operands;
    for (const FormulaPtr& operand : node.operands) {
        operands += " " + prefixForm(*operand);
    }
    switch (node.operation) {
        case Operation::kNumber:
            return node.number.toString();
        case Operation::kPi:
            return "pi";
        case Operation::kE:
            return "e";
        case Operation::kNegate:
            return "(neg" + operands + ")";
        case Operation::kAdd:
            return "(+" + operands + ")";
        case Operation::kSubtract:
            return "(-" + operands + ")";
        case Operation::kMultiply:
            return "(*" + operands + ")";
        case Operation::kDivide:
            return "(/" + operands + ")";
        case Operation::kPower:
            return "(^" + operands + ")";
        case Operation::kVariable:
            return "(var" + operands + ")";
        case Operation::kCall: {
            std::string name(functionName(node.function));
            if (node.function == Function::kRound) {
                name += "/" + std::string(roundingModeName(node.roundingMode));
            }
            return "(" + name + operands + ")";
        }
    }
    return "?";
}

struct ShapeCase {
    const char* formula;
    const char* tree;
};

TEST(FormulaParser, PrecedenceAndAssociativity) {
    const ShapeCase cases[] = {
        {"-2^2", "(neg (^ 2 2))"},
        {"2^3^2", "(^ 2 (^ 3 2))"},
        {"2^-1", "(^ 2 (neg 1))"},
        {"2^-2^2", "(^ 2 (neg (^ 2 2)))"},
        {"1-2-3", "(- (- 1 2) 3)"},
        {"8/4/2", "(/ (/ 8 4) 2)"},
        {"1+2*3", "(+ 1 (* 2 3))"},
        {"1*2+3", "(+ (* 1 2) 3)"},
        {"-3*2", "(* (neg 3) 2)"},
        {"2*-3", "(* 2 (neg 3))"},
        {"2--3", "(- 2 (neg 3))"},
        {"+5", "5"},
        {"--5", "(neg (neg 5))"},
        {"-+-5", "(neg (neg 5))"},
        {"(1+2)*3", "(* (+ 1 2) 3)"},
        {"(2^3)^2", "(^ (^ 2 3) 2)"},
        {"-(2)^2", "(neg (^ 2 2))"},
        {" .5 +\t5. ", "(+ 0.5 5)"},
        {"007.250", "7.25"},
        {"Pi*E", "(* pi e)"},
        {"SQRT(4)+Log10(2)", "(+ (sqrt 4) (log10 2))"},
        {"log(8, 2)", "(log 8 2)"},
        {"atan2(-1, 2^2)", "(atan2 (neg 1) (^ 2 2))"},
        {"round(1.5, 0)", "(round/HALF_UP 1.5 0)"},
        {"round(1.5, -1, floor)", "(round/FLOOR 1.5 (neg 1))"},
        {"round(2.5,0,Half_Even)", "(round/HALF_EVEN 2.5 0)"},
        {"binom(fact(3), gcd(4, 6))", "(binom (fact 3) (gcd 4 6))"},
        {"sin(cos(tan(1)))", "(sin (cos (tan 1)))"},
    };
    for (const ShapeCase& c : cases) {
        EXPECT_EQ(prefixForm(*parseFormula(c.formula)), c.tree) << c.formula;
    }
}

struct ErrorCase {
    const char* formula;
    std::size_t column;
    const char* message;
};

TEST(FormulaParser, SyntaxErrorsNameTheirColumn) {
    const ErrorCase cases[] = {
        {"2 +", 4, "missing operand at column 4"},
        {"", 1, "missing operand at column 1"},
        {"2^", 3, "missing operand at column 3"},
        {"2 * * 3", 5, "missing operand at column 5"},
        {"()", 2, "missing operand at column 2"},
        {"sqrt()", 6, "missing operand at column 6"},
        {"(1+2", 5, "missing ')' at column 5"},
        {"((1)  ", 7, "missing ')' at column 7"},
        {"sqrt(2", 7, "missing ')' at column 7"},
        {"1+2)", 4, "unmatched ')' at column 4"},
        {"2 3", 3, "missing operator at column 3"},
        {"1.2.3", 4, "missing operator at column 4"},
        {"1e5", 2, "missing operator at column 2"},
        {"pi(2)", 3, "missing operator at column 3"},
        {"2 (3)", 3, "missing operator at column 3"},
        {"2 # 3", 3, "unexpected character '#' at column 3"},
        {".", 1, "unexpected character '.' at column 1"},
        {"\xC3\xA9+1", 1, "unexpected character '\xC3\xA9' at column 1"},
        {"1 + \xC3\xA9 + #", 5, "unexpected character '\xC3\xA9' at column 5"},
        {"\xC3\xA9\xC3\xA9", 1, "unexpected character '\xC3\xA9' at column 1"},
        {"(1 + 2) ) #", 9, "unmatched ')' at column 9"},
        {"(1, 2)", 3, "unexpected ',' at column 3"},
        {"1, 2", 2, "unexpected ',' at column 2"},
        {"1 = 2", 3, "unexpected '=' at column 3"},
        {"foo + 1", 1, "unknown name foo at column 1"},
        {"1 + ans", 5, "unknown name ans at column 5"},
        {"sqrt 4", 6, "missing '(' after sqrt at column 6"},
        {"2*exp", 6, "missing '(' after exp at column 6"},
        {"sqrt(1, 2)", 1, "sqrt takes 1 argument at column 1"},
        {"1+root(8)", 3, "root takes 2 arguments at column 3"},
        {"atan2(1,2,3)", 1, "atan2 takes 2 arguments at column 1"},
        {"round(1)", 1, "round takes 2 or 3 arguments at column 1"},
        {"round(1, 2, up, 4)", 1, "round takes 2 or 3 arguments at column 1"},
        {"round(1, 2, sideways)", 13, "unknown rounding mode sideways at column 13"},
        {"round(1, 2, 3)", 13, "rounding mode expected at column 13"},
        {"round(1, 2, up + 1)", 16, "unexpected '+' at column 16"},
    };
    for (const ErrorCase& c : cases) {
        try {
            parseFormula(c.formula);
            ADD_FAILURE() << c.formula << " parsed";
        } catch (const CalcError& error) {
            EXPECT_EQ(error.code(), 5) << c.formula;
            EXPECT_EQ(error.column(), c.column) << c.formula;
            EXPECT_STREQ(error.what(), c.message) << c.formula;
        }
    }
}

TEST(FormulaParser, DeepNestingIsASyntaxError) {
    // Long enough to exhaust the stack if the parser's recursion were unbounded.
    constexpr std::size_t kLong = 200'000;
    std::string longChain = "1";
    std::string powers;
    std::string calls;
    for (std::size_t i = 0; i <= kMaxFormulaDepth; ++i) {
        longChain += "-1";
    }
    for (std::size_t i = 0; i < kLong; ++i) {
        powers += "2^";
        calls += "sqrt(";
    }
    const std::string formulas[] = {longChain,
                                    std::string(kLong, '(') + "1",
                                    std::string(kLong, '-') + "1",
                                    std::string(kLong, '+') + "1",
                                    powers + "2",
                                    calls + "2"};
    for (const std::string& formula : formulas) {
        try {
            parseFormula(formula);
            ADD_FAILURE() << formula.substr(0, 10) << "... parsed";
        } catch (const CalcError& error) {
            EXPECT_EQ(error.code(), 5);
            EXPECT_NE(std::string(error.what()).find("nested too deeply"), std::string::npos);
        }
    }
    std::string deepest = "1";
    for (std::size_t i = 1; i < kMaxFormulaDepth; ++i) {
        deepest = "(" + deepest + ")";
    }
    EXPECT_EQ(parseFormula(deepest)->operation, Operation::kNumber);
}

TEST(FormulaParser, AssignmentNamesAreCheckedAndLowerCased) {
    const NameResolver none;
    const ParsedLine assignment = parseFormulaLine(" Rate_2 = 1 + 2", none, true);
    EXPECT_EQ(assignment.assignedName, "rate_2");
    EXPECT_EQ(assignment.nameColumn, 2U);
    EXPECT_EQ(prefixForm(*assignment.formula), "(+ 1 2)");
    EXPECT_EQ(parseFormulaLine(" \t ", none, true).formula, nullptr);

    const ErrorCase cases[] = {
        {"sqrt = 2", 1, "sqrt is a function and cannot be assigned at column 1"},
        {" PI = 3", 2, "pi is a constant and cannot be assigned at column 2"},
        {"ans = 1", 1, "ans cannot be assigned at column 1"},
        {"x = ", 5, "missing operand at column 5"},
        {"x = 2 = 2", 7, "unexpected '=' at column 7"},
    };
    for (const ErrorCase& c : cases) {
        try {
            parseFormulaLine(c.formula, none, true);
            ADD_FAILURE() << c.formula << " parsed";
        } catch (const CalcError& error) {
            EXPECT_EQ(error.column(), c.column) << c.formula;
            EXPECT_STREQ(error.what(), c.message) << c.formula;
        }
    }
}

TEST(FormulaParser, VariablesResolveCaseInsensitively) {
    const FormulaPtr value = parseFormula("7");
    const NameResolver resolver = [&](std::string_view name, std::size_t) {
        return name == "rate" ? value : nullptr;
    };
    const ParsedLine line = parseFormulaLine("RaTe * 2", resolver, true);
    EXPECT_EQ(prefixForm(*line.formula), "(* (var 7) 2)");
    EXPECT_EQ(line.formula->operands[0]->column, 1U);
    // Without assignments allowed, `x = 1` is a formula with a stray '='.
    EXPECT_THROW(parseFormulaLine("rate = 1", resolver, false), CalcError);
}

}  // namespace
}  // namespace kestrum::calc
