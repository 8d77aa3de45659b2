// What the vector schoolbooks share: every limb is cut into halves below 10^9, and column sums of
// products of halves are cut by 10^9 with 32-bit products alone; the longer operand is taken in
// pieces of a fixed length, each multiplied by the whole shorter operand and added in at its place.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "limb.h"
#include "limb_ops.h"

namespace kestrum::aserv::kernel::detail {

inline constexpr Limb kHalfBase = 1'000'000'000;

// floor(2^61 / 10^9): for h < 2^32, (h * kInverseOfHalfBase) >> (61 - e) is at most h * 2^e / 10^9
// and less than one below it.
inline constexpr long long kInverseOfHalfBase = 2'305'843'009;

// ceil(2^50 / 5^9): for x < 2^38, ((x >> 9) * kExactInverse) >> 50 is x / 10^9, as x / 10^9 =
// (x / 2^9) / 5^9 and the product's error stays below 2^50 / 5^9 for x >> 9 < 2^29.
inline constexpr long long kExactInverse = 576'460'753;

// r[0..na+nb) = a * b for na, nb >= 1 and min(na, nb) <= kShorterLimbs, where
// multiplyPiece(r, a, na, b, nb) multiplies a piece of na <= kPieceLimbs limbs by
// nb <= kShorterLimbs; r must not overlap a or b.
template <std::size_t kPieceLimbs, std::size_t kShorterLimbs, typename Piece>
void multiplyInPieces(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                      Piece multiplyPiece) {
    if (na < nb) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    multiplyPiece(r, a, std::min(na, kPieceLimbs), b, nb);
    std::array<Limb, kPieceLimbs + kShorterLimbs> piece;  // NOLINT: written before use
    for (std::size_t done = kPieceLimbs; done < na; done += kPieceLimbs) {
        const std::size_t length = std::min(kPieceLimbs, na - done);
        multiplyPiece(piece.data(), a + done, length, b, nb);
        // r[done..done+nb) holds the top of the pieces before; the rest is fresh.
        std::fill(r + done + nb, r + done + length + nb, Limb{0});
        addLimbs(r + done, r + done, length + nb, piece.data(), length + nb);
    }
}

}  // namespace kestrum::aserv::kernel::detail
