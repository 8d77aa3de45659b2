// Whether this build carries the x86 vector code that is chosen at run time (the packed-decimal
// block loops of digit runs and the AVX2 and AVX-512 schoolbooks): x86-64 builds, and 32-bit x86
// builds whose baseline has SSE2, as the 32-bit DLL's has. 32-bit builds without SSE2 keep to the
// scalar paths throughout.
#pragma once

#if defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__))
#define KESTRUM_X86_VECTORS 1  // NOLINT(cppcoreguidelines-macro-usage): tested by #if
#else
#define KESTRUM_X86_VECTORS 0  // NOLINT(cppcoreguidelines-macro-usage): tested by #if
#endif
