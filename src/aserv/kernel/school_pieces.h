// The vector schoolbooks take the longer operand in pieces of a fixed length, each multiplied by
// the whole shorter operand and added in at its place.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "limb.h"
#include "limb_ops.h"

namespace kestrum::aserv::kernel::detail {

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
