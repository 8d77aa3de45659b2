# 32-bit Windows binaries built with mingw-w64, with SSE2 as their baseline (x86-sse2.cmake).
# The 32-bit Windows ABI only keeps the stack 4-byte aligned; GCC for mingw-w64 realigns it in the
# functions that keep vectors on the stack once SSE is on (its -mstackrealign default), and the
# kernel's vector code is checked for aligned stack slots by scripts/test-i686.sh.
set(KESTRUM_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/x86-sse2.cmake)
set(CMAKE_C_FLAGS_INIT "${KESTRUM_X86_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${KESTRUM_X86_ARCH_FLAGS}")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
