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
# Position-dependent code, as the 32-bit DLL's (a Windows DLL is relocated at load time instead):
# Debian's compiler builds position-independent executables by default, which on 32-bit x86 find
# their data through a helper call in every function and keep a register for it, and that took
# 10 to 20% of the calls on short operands.
set(KESTRUM_I686_CODE_FLAGS "-m32 ${KESTRUM_X86_ARCH_FLAGS} -fno-pie")
set(CMAKE_C_FLAGS_INIT "${KESTRUM_I686_CODE_FLAGS}")
# GCC 12 reports a false -Wrestrict in libstdc++'s `"text" + std::string&&` at -O3 on 32-bit
# targets (GCC bug 105651).
set(CMAKE_CXX_FLAGS_INIT "${KESTRUM_I686_CODE_FLAGS} -Wno-restrict")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-no-pie")

# The host's 64-bit libraries (GMP, GoogleTest) cannot be linked into these programs.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/include/x86_64-linux-gnu)
