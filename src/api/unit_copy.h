// Copying code units into a new string without the copy's loads waiting on its own stores.
#pragma once

#include <cstddef>

namespace kestrum::api {

// to[0..count) = from[0..count) for blocks that do not overlap. A load whose address agrees in
// its low 12 bits with a store still in flight waits for it; a forward copy meets that at every
// step when the destination starts a little above the source within a 4 KiB page (as a new string
// allocated right after a same-sized text does), so such copies run from the end backwards.
void copyUnits(char16_t* to, const char16_t* from, std::size_t count) noexcept;

}  // namespace kestrum::api
