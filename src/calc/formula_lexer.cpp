#include "formula_lexer.h"

namespace kestrum::calc {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

TokenKind punctuationKind(char c) {
    switch (c) {
        case '+':
            return TokenKind::kPlus;
        case '-':
            return TokenKind::kMinus;
        case '*':
            return TokenKind::kStar;
        case '/':
            return TokenKind::kSlash;
        case '^':
            return TokenKind::kCaret;
        case '(':
            return TokenKind::kOpen;
        case ')':
            return TokenKind::kClose;
        case ',':
            return TokenKind::kComma;
        case '=':
            return TokenKind::kEquals;
        default:
            return TokenKind::kInvalid;
    }
}

// Length of the number starting at `start`, 0 when there is none (a point without digits).
std::size_t numberLength(std::string_view line, std::size_t start) {
    std::size_t end = start;
    std::size_t digits = 0;
    while (end < line.size() && isDigit(line[end])) {
        ++end;
        ++digits;
    }
    if (end < line.size() && line[end] == '.') {
        ++end;
        while (end < line.size() && isDigit(line[end])) {
            ++end;
            ++digits;
        }
    }
    return digits == 0 ? 0 : end - start;
}

std::size_t nameLength(std::string_view line, std::size_t start) {
    std::size_t end = start + 1;
    while (end < line.size() && (isLetter(line[end]) || isDigit(line[end]) || line[end] == '_')) {
        ++end;
    }
    return end - start;
}

}  // namespace

std::vector<Token> tokenizeFormula(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t column = 1;
    std::size_t at = 0;
    while (at < line.size()) {
        const char c = line[at];
        std::size_t length = 1;
        if (c == ' ' || c == '\t') {
            ++at;
            ++column;
            continue;
        }
        TokenKind kind = TokenKind::kInvalid;
        if (isLetter(c)) {
            kind = TokenKind::kName;
            length = nameLength(line, at);
        } else if (const std::size_t digits = numberLength(line, at); digits > 0) {
            kind = TokenKind::kNumber;
            length = digits;
        } else {
            kind = punctuationKind(c);
            while (at + length < line.size() && isContinuationByte(line[at + length])) {
                ++length;
            }
        }
        tokens.push_back({kind, line.substr(at, length), column});
        at += length;
        column += kind == TokenKind::kInvalid ? 1 : length;
    }
    tokens.push_back({TokenKind::kEnd, {}, column});
    return tokens;
}

}  // namespace kestrum::calc
