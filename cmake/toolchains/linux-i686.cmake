# 32-bit x86 Linux programs from the host's multilib gcc, built for the instruction set of the
# 32-bit DLL (x86-sse2.cmake): the kernel takes the same paths as there, and 32-bit targets have
# no 128-bit integers. With KESTRUM_I686_SCALAR=ON (preset linux-i686-scalar) the programs are
# plain i686 without SSE2 instead, which keeps the scalar forms of the vector paths tested.
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRUM_I686_SCALAR)
if(KESTRUM_I686_SCALAR)
    set(KESTRUM_X86_ARCH_FLAGS "-march=i686")
else()
    include(${CMAKE_CURRENT_LIST_DIR}/x86-sse2.cmake)
endif()
set(CMAKE_C_FLAGS_INIT "-m32 ${KESTRUM_X86_ARCH_FLAGS}")
# GCC 12 reports a false -Wrestrict in libstdc++'s `"text" + std::string&&` at -O3 on 32-bit
# targets (GCC bug 105651).
set(CMAKE_CXX_FLAGS_INIT "-m32 ${KESTRUM_X86_ARCH_FLAGS} -Wno-restrict")

# The host's 64-bit libraries (GMP, GoogleTest) cannot be linked into these programs.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/include/x86_64-linux-gnu)
