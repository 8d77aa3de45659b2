// What the vector schoolbooks share: every limb is cut into halves below 10^9, and column sums of
// products of halves are cut by 10^9 with 32-bit products alone; the longer operand is taken in
// pieces of a fixed length, each multiplied by the whole shorter operand and added in at its place.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <utility>

#include "limb.h"
#include "limb_ops.h"

namespace kestrum::aserv::kernel::detail {

// kHalfBase, kInverseOfHalfBase and kExactInverse: limb.h.

// The longer operand is taken in pieces of at most this many limbs.
inline constexpr std::size_t kPieceLimbs = 128;

// The buffers of one piece's product for a form with kLanes 64-bit lanes and shorter operands of
// at most kShorterLimbs, in one area on the stack whose start is moved up to a whole vector, so
// that the windows the inner loop reads each lie in one cache line. Halves are written in whole
// pairs of vectors.
template <std::size_t kLanes, std::size_t kShorterLimbs>
class PieceArea {
  public:
    // A lane sums at most ceil(2 nb / kLanes) products of halves, each at most (10^9 - 1)^2;
    // eighteen of them still fit 64 bits.
    static_assert((2 * kShorterLimbs + kLanes - 1) / kLanes <= 18);

    // count halves rounded up to whole pairs of vectors.
    static constexpr std::size_t wholePairs(std::size_t count) {
        return (count + 2 * kLanes - 1) & ~(2 * kLanes - 1);
    }

    // Halves of the shorter operand, b, follow kLanes zeros in each of kLanes copies, copy u
    // shifted up by u places, so that every window of kLanes columns that a step reads starts on
    // a vector boundary. The windows reach 2 nb + 4 kLanes - 3 halves into a copy.
    static constexpr std::size_t copyLength(std::size_t nb) {
        return wholePairs(2 * nb + 4 * kLanes - 2);
    }
    static constexpr std::size_t kCopyLength = copyLength(kShorterLimbs);

    PieceArea() noexcept {
        void* start = area_.data();
        std::size_t space = sizeof(area_);
        std::align(kLanes * sizeof(Limb), kAreaLength * sizeof(Limb), start, space);
        start_ = static_cast<Limb*>(start);
    }

    // The halves of the longer piece.
    [[nodiscard]] Limb* longHalves() const { return start_; }
    // kLanes zeros, then the halves of the shorter operand.
    [[nodiscard]] Limb* shortHalves() const { return start_ + kLongLength; }
    // The kLanes shifted copies of shortHalves(), kCopyLength apart.
    [[nodiscard]] Limb* copies() const { return shortHalves() + kShortLength; }
    // The rests and quotients of the cut column sums, one per half column.
    [[nodiscard]] Limb* rests() const { return copies() + kLanes * kCopyLength; }
    [[nodiscard]] Limb* quotients() const { return rests() + kHalfColumns; }

  private:
    static constexpr std::size_t kLongLength = wholePairs(2 * kPieceLimbs + 2 * kLanes);
    static constexpr std::size_t kShortLength = kLanes + kCopyLength;
    // Most half columns of one piece, rounded up to whole pairs of blocks.
    static constexpr std::size_t kHalfColumns = 2 * (kPieceLimbs + kShorterLimbs) + 2 * kLanes;
    static constexpr std::size_t kAreaLength =
        kLongLength + kShortLength + kLanes * kCopyLength + 2 * kHalfColumns;

    std::array<Limb, kAreaLength + kLanes>
        area_;  // NOLINT: every part is written before it is read
    Limb* start_;
};

// Carries from limbs of r[0..n) that reached the base (they stay below twice the base) upwards,
// the last step of a vector schoolbook and rarely needed.
inline void carryFullLimbs(Limb* r, std::size_t n) {
    Limb carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        r[i] = addWithCarry(r[i], 0, carry);
    }
}

// r[0..na+nb) = a * b for na, nb >= 1 and min(na, nb) <= kShorterLimbs, where
// multiplyPiece(r, a, na, b, nb) multiplies a piece of na <= kPieceLimbs limbs by
// nb <= kShorterLimbs; r must not overlap a or b.
template <std::size_t kShorterLimbs, typename Piece>
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
