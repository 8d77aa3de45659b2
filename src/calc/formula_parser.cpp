#include "formula_parser.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "formula_lexer.h"

namespace kestrum::calc {
namespace {

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

[[noreturn]] void syntaxError(const std::string& what, std::size_t column) {
    throw CalcError(5, column, what + " at column " + std::to_string(column));
}

std::optional<Operation> constantOperation(std::string_view lowerName) {
    if (lowerName == "pi") {
        return Operation::kPi;
    }
    if (lowerName == "e") {
        return Operation::kE;
    }
    return std::nullopt;
}

std::shared_ptr<FormulaNode> makeNode(Operation operation, std::size_t column,
                                      std::vector<FormulaPtr> operands) {
    auto node = std::make_shared<FormulaNode>();
    node->operation = operation;
    node->column = column;
    node->operands = std::move(operands);
    for (const FormulaPtr& operand : node->operands) {
        node->depth = std::max(node->depth, operand->depth + 1);
    }
    if (node->depth > kMaxFormulaDepth) {
        syntaxError("formula nested too deeply", column);
    }
    return node;
}

class FormulaParser {
  public:
    FormulaParser(std::string_view text, const NameResolver& resolver)
        : tokens_(tokenizeFormula(text)), resolver_(resolver) {}

    ParsedLine parseLine(bool allowAssignment) {
        ParsedLine parsed;
        if (peek().kind == TokenKind::kEnd) {
            return parsed;
        }
        if (allowAssignment && peek().kind == TokenKind::kName &&
            tokens_[1].kind == TokenKind::kEquals) {
            parsed.nameColumn = peek().column;
            parsed.assignedName = assignableName(next());
            next();
        }
        parsed.formula = parseSum();
        expectEnd();
        return parsed;
    }

  private:
    // One level of the parser's recursion (parentheses, a sign, an exponent), bounded so that a
    // long line cannot exhaust the stack.
    class Descent {
      public:
        Descent(FormulaParser& parser, std::size_t column) : parser_(parser) {
            if (++parser_.nesting_ > kMaxFormulaDepth) {
                syntaxError("formula nested too deeply", column);
            }
        }
        ~Descent() { --parser_.nesting_; }
        Descent(const Descent&) = delete;
        Descent& operator=(const Descent&) = delete;
        Descent(Descent&&) = delete;
        Descent& operator=(Descent&&) = delete;

      private:
        FormulaParser& parser_;
    };

    [[nodiscard]] const Token& peek() const { return tokens_[position_]; }
    const Token& next() {
        const Token& token = tokens_[position_];
        if (token.kind != TokenKind::kEnd) {
            ++position_;
        }
        return token;
    }

    static std::string assignableName(const Token& token) {
        std::string name = lowerCase(token.text);
        if (findFunction(name)) {
            syntaxError(name + " is a function and cannot be assigned", token.column);
        }
        if (constantOperation(name)) {
            syntaxError(name + " is a constant and cannot be assigned", token.column);
        }
        if (name == "ans") {
            syntaxError("ans cannot be assigned", token.column);
        }
        return name;
    }

    FormulaPtr parseSum() {
        FormulaPtr left = parseProduct();
        while (peek().kind == TokenKind::kPlus || peek().kind == TokenKind::kMinus) {
            const Token& op = next();
            const Operation operation =
                op.kind == TokenKind::kPlus ? Operation::kAdd : Operation::kSubtract;
            left = makeNode(operation, op.column, {left, parseProduct()});
        }
        return left;
    }

    FormulaPtr parseProduct() {
        FormulaPtr left = parseSigned();
        while (peek().kind == TokenKind::kStar || peek().kind == TokenKind::kSlash) {
            const Token& op = next();
            const Operation operation =
                op.kind == TokenKind::kStar ? Operation::kMultiply : Operation::kDivide;
            left = makeNode(operation, op.column, {left, parseSigned()});
        }
        return left;
    }

    FormulaPtr parseSigned() {
        if (peek().kind == TokenKind::kMinus) {
            const std::size_t column = next().column;
            const Descent descent(*this, column);
            return makeNode(Operation::kNegate, column, {parseSigned()});
        }
        if (peek().kind == TokenKind::kPlus) {
            const Descent descent(*this, next().column);
            return parseSigned();
        }
        return parsePower();
    }

    FormulaPtr parsePower() {
        FormulaPtr base = parseOperand();
        if (peek().kind != TokenKind::kCaret) {
            return base;
        }
        const std::size_t column = next().column;
        const Descent descent(*this, column);
        return makeNode(Operation::kPower, column, {base, parseSigned()});
    }

    FormulaPtr parseOperand() {
        const Token& token = peek();
        switch (token.kind) {
            case TokenKind::kNumber: {
                next();
                auto node = std::make_shared<FormulaNode>();
                node->column = token.column;
                node->number = Decimal::fromText(token.text);
                return node;
            }
            case TokenKind::kName:
                return parseName();
            case TokenKind::kOpen: {
                next();
                FormulaPtr inner;
                {
                    const Descent descent(*this, token.column);
                    inner = parseSum();
                }
                expect(TokenKind::kClose, "missing ')'");
                return inner;
            }
            case TokenKind::kInvalid:
                unexpected(token);
            default:
                syntaxError("missing operand", token.column);
        }
    }

    FormulaPtr parseName() {
        const Token& token = next();
        const std::string name = lowerCase(token.text);
        if (const auto info = findFunction(name)) {
            return parseCall(*info, token.column);
        }
        if (const auto constant = constantOperation(name)) {
            return makeNode(*constant, token.column, {});
        }
        if (resolver_) {
            if (FormulaPtr formula = resolver_(name, token.column)) {
                return makeNode(Operation::kVariable, token.column, {formula});
            }
        }
        syntaxError("unknown name " + std::string(token.text), token.column);
    }

    FormulaPtr parseCall(const FunctionInfo& info, std::size_t column) {
        const Descent descent(*this, column);
        if (peek().kind != TokenKind::kOpen) {
            syntaxError("missing '(' after " + std::string(info.name), peek().column);
        }
        next();
        std::vector<FormulaPtr> arguments;
        std::optional<RoundingMode> mode;
        const auto wrongCount = [&] {
            const std::string count =
                info.minArguments == info.maxArguments
                    ? std::to_string(info.minArguments) +
                          (info.minArguments == 1 ? " argument" : " arguments")
                    : std::to_string(info.minArguments) + " or " +
                          std::to_string(info.maxArguments) + " arguments";
            syntaxError(std::string(info.name) + " takes " + count, column);
        };
        while (true) {
            if (info.function == Function::kRound && arguments.size() == 2) {
                mode = parseModeName();
            } else {
                arguments.push_back(parseSum());
            }
            const std::size_t count = arguments.size() + (mode ? 1 : 0);
            if (peek().kind == TokenKind::kComma) {
                if (count == info.maxArguments) {
                    wrongCount();
                }
                next();
                continue;
            }
            expect(TokenKind::kClose, "missing ')'");
            if (count < info.minArguments) {
                wrongCount();
            }
            break;
        }
        auto call = makeNode(Operation::kCall, column, std::move(arguments));
        call->function = info.function;
        call->roundingMode = mode.value_or(RoundingMode::kHalfUp);
        return call;
    }

    RoundingMode parseModeName() {
        const Token& token = peek();
        if (token.kind != TokenKind::kName) {
            syntaxError("rounding mode expected", token.column);
        }
        next();
        const auto mode = parseRoundingMode(token.text);
        if (!mode) {
            syntaxError("unknown rounding mode " + std::string(token.text), token.column);
        }
        return *mode;
    }

    // Past a whole operand: the token must be `kind`, else the fault is named.
    void expect(TokenKind kind, const std::string& missing) {
        const Token& token = peek();
        if (token.kind == kind) {
            next();
            return;
        }
        if (token.kind == TokenKind::kEnd) {
            syntaxError(missing, token.column);
        }
        unexpected(token);
    }

    void expectEnd() {
        const Token& token = peek();
        if (token.kind == TokenKind::kEnd) {
            return;
        }
        if (token.kind == TokenKind::kClose) {
            syntaxError("unmatched ')'", token.column);
        }
        unexpected(token);
    }

    [[noreturn]] static void unexpected(const Token& token) {
        switch (token.kind) {
            case TokenKind::kNumber:
            case TokenKind::kName:
            case TokenKind::kOpen:
                syntaxError("missing operator", token.column);
            case TokenKind::kInvalid:
                syntaxError("unexpected character '" + std::string(token.text) + "'", token.column);
            default:
                syntaxError("unexpected '" + std::string(token.text) + "'", token.column);
        }
    }

    std::vector<Token> tokens_;
    const NameResolver& resolver_;
    std::size_t position_ = 0;
    std::size_t nesting_ = 0;
};

}  // namespace

ParsedLine parseFormulaLine(std::string_view line, const NameResolver& resolver,
                            bool allowAssignment) {
    return FormulaParser(line, resolver).parseLine(allowAssignment);
}

FormulaPtr parseFormula(std::string_view text) {
    const NameResolver none;
    FormulaPtr formula = FormulaParser(text, none).parseLine(false).formula;
    if (!formula) {
        syntaxError("missing operand", 1);
    }
    return formula;
}

}  // namespace kestrum::calc
