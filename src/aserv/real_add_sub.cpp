#include "real_add_sub.h"

#include "general/real_add_sub.h"

namespace kestrum::aserv {

void realAdd(TextView a1, TextView a2, Text& result) {
    general::realAdd(a1, a2, result);
}

void realSub(TextView a1, TextView a2, Text& result) {
    general::realSub(a1, a2, result);
}

}  // namespace kestrum::aserv
