# 32-bit x86 Linux programs from the host's multilib gcc. -march=i686 leaves out SSE2, and 32-bit
# targets have no 128-bit integers: the kernel takes the same paths as in the 32-bit DLL.
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -march=i686")
# GCC 12 reports a false -Wrestrict in libstdc++'s `"text" + std::string&&` at -O3 on 32-bit
# targets (GCC bug 105651).
set(CMAKE_CXX_FLAGS_INIT "-m32 -march=i686 -Wno-restrict")

# The host's 64-bit libraries (GMP, GoogleTest) cannot be linked into these programs.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/include/x86_64-linux-gnu)
