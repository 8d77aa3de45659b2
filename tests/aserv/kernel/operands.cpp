#include "operands.h"

namespace kestrum::aserv::kernel::testing {

std::u16string OperandMaker::make(std::size_t length, Shape shape) {
    std::u16string s;
    s.reserve(length);
    switch (shape) {
        case Shape::Random:
            s.push_back(digit(1, 9));
            while (s.size() < length) {
                s.push_back(digit(0, 9));
            }
            break;
        case Shape::Nines:
            s.assign(length, u'9');
            break;
        case Shape::PowerOfTen:
            s.assign(length, u'0');
            s[0] = u'1';
            break;
        case Shape::SparseNines:
            s.push_back(u'9');
            while (s.size() < length) {
                const char16_t c = below(2) == 0 ? u'9' : u'0';
                for (std::size_t run = 1 + below(40); run != 0 && s.size() < length; --run) {
                    s.push_back(c);
                }
            }
            break;
        case Shape::TopHeavy:
            s.assign(length - below(length), u'9');
            while (s.size() < length) {
                s.push_back(digit(0, 9));
            }
            break;
    }
    return s;
}

std::u16string OperandMaker::any(std::size_t length) {
    return make(length, kShapes[below(std::size(kShapes))]);
}

}  // namespace kestrum::aserv::kernel::testing
