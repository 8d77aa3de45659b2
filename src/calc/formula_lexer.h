// Cuts a formula line into tokens. A character that starts no token becomes an invalid token, so
// the parser reports the first fault from the left, whatever it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum::calc {

enum class TokenKind {
    kNumber,  // digits with at most one point: 12, 0.5, .5, 5.
    kName,    // a letter, then letters, digits or '_'
    kPlus,
    kMinus,
    kStar,
    kSlash,
    kCaret,
    kOpen,
    kClose,
    kComma,
    kEquals,
    kInvalid,  // one character (a whole UTF-8 sequence) that starts no token
    kEnd,      // past the last character
};

struct Token {
    TokenKind kind;
    std::string_view text;
    std::size_t column;  // 1-based, counted in characters (UTF-8 sequences)
};

// The tokens of a line, ending with kEnd; blanks (spaces, tabs) between them are dropped.
std::vector<Token> tokenizeFormula(std::string_view line);

}  // namespace kestrum::calc
