#include "result_codes.h"

#include "text/aserv_error.h"

namespace kestrum::api {

std::u16string describeResult(ResultCode code) {
    switch (runTimeErrorNumber(code)) {
        case aserv::kInvalidArgument:
            return u"Invalid procedure call or argument";
        case aserv::kOverflow:
            return u"Overflow: an operand or intermediate result has 32767 or more characters";
        case aserv::kNonDigitInAddition:
            return u"An operand holds a character that is not a decimal digit (addition or "
                   u"multiplication)";
        case aserv::kNonDigitInSubtraction:
            return u"An operand holds a character that is not a decimal digit (subtraction)";
        default:
            break;
    }
    switch (code) {
        case kSuccess:
            return u"Success";
        case kNullPointer:
            return u"A required variable address is null";
        case kOutOfMemory:
            return u"Out of memory";
        default:
            return u"Unexpected failure";
    }
}

}  // namespace kestrum::api
