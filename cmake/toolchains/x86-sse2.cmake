# The instruction set of 32-bit x86 builds: every x86 CPU since the Pentium 4, that is i686 with
# MMX, SSE and SSE2, which Windows 8 and later and every supported Office require. The vector
# paths of the kernel that x86-64 builds take as given (SSE2 digit scans, comparisons, digit
# groups and packed-decimal addition) then run in 32-bit builds too, and floating point uses SSE
# registers rather than the x87 stack, as on x86-64. -mtune=generic schedules for current CPUs
# instead of the Pentium 4's pipeline. -mno-stv keeps 64-bit integer arithmetic on pairs of
# general registers: GCC's pass that moves it into SSE registers made the word paths of the
# shortest operands 10 to 20% slower (kernel_bench, divisions of 10 and 19 digits).
set(KESTRUM_X86_ARCH_FLAGS "-march=pentium4 -mtune=generic -mfpmath=sse -mno-stv")
