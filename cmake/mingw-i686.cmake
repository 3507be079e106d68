# Cross-build the 32-bit Windows program with Debian's MinGW-w64 (package g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

# The posix thread model: its C++ library has std::mutex and std::condition_variable, which
# GoogleTest needs for the tests built here; the programs are linked statically either way.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every processor that runs a supported Windows has SSE2, so the SIMD paths (fillers, composite,
# clear) build as they do on x86-64. Double arithmetic goes to SSE2 as well: the Wine replay test
# gives the native frames with -mfpmath=sse and with -mfpmath=387 alike, and SSE2 evaluates
# double as x86-64 and WebAssembly do, without x87's excess precision, whose results would hang
# on where the compiler happens to spill a register. (MinGW realigns the stack where SSE2 needs
# it: -mstackrealign is its default.)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
