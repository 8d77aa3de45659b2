// The operations on operands short enough for machine words (word_operand.h): the sign split, the
// arithmetic and the result text in one pass, without the kernel's limb vectors. Each gives
// exactly what its entry point gives; each returns false, having written nothing, when an operand
// has another form, and the entry point goes on as before. (Point addition and subtraction of
// short operands already work straight on the text, which is faster than reading words.)
#pragma once

#include <cstdint>

#include "text/text.h"

namespace kestrum::aserv {

bool addWords(TextView a1, TextView a2, Text& result);
bool subtractWords(TextView a1, TextView a2, Text& result);
bool compareWords(TextView a1, TextView a2, std::int16_t& result);
bool multiplyWords(TextView a1, TextView a2, Text& result);

// Also true for a divisor of value zero whatever the dividend is: the division ends before the
// dividend is read.
bool divideWords(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er);

bool multiplyPointWords(TextView a1, TextView a2, Text& result);

}  // namespace kestrum::aserv
