// Arithm: the eight operations that clients call, each a thin method over one arithmetic
// procedure. Operands and results are automation strings passed by the address of the client's
// variable; every method returns a result code (0 on success, 0x800A0000 + n for run-time error
// n, E_POINTER for a null address, E_OUTOFMEMORY) and never throws. An object holds no state:
// its calls work in storage borrowed for their duration (call_storage.h).
#pragma once

#include <cstdint>

#include "automation_string.h"

namespace kestrum::api {

class Arithm {
  public:
    // String-returning methods: *result is set to null first and receives a new string that the
    // caller owns on success; it stays null on failure. *a1 and *a2 are never changed.
    ResultCode iadd(AutoString* a1, AutoString* a2, AutoString* result) const noexcept;
    ResultCode isub(AutoString* a1, AutoString* a2, AutoString* result) const noexcept;
    ResultCode imult(AutoString* a1, AutoString* a2, AutoString* result) const noexcept;

    // Quotient into *m, remainder into *r, *er = 1 on division by zero (and left as it is
    // otherwise). After a failure m, r and er hold what the division last wrote into them.
    ResultCode idiv(AutoString* a1, AutoString* a2, AutoString* m, AutoString* r,
                    std::int16_t* er) const noexcept;

    ResultCode radd(AutoString* a1, AutoString* a2, AutoString* result) const noexcept;
    ResultCode rsub(AutoString* a1, AutoString* a2, AutoString* result) const noexcept;
    ResultCode rmult(AutoString* a1, AutoString* a2, AutoString* result) const noexcept;

    // -1, 0 or 1 into *result; 0 on failure.
    ResultCode icomp(AutoString* a1, AutoString* a2, std::int16_t* result) const noexcept;
};

}  // namespace kestrum::api
