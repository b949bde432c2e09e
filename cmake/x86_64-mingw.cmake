# 64-bit Windows, only for running the tests on a machine whose kernel runs no 32-bit code (and so no 32-bit
# Wine); tools/build.sh adds this tree there. What ships is always the i686 build.
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/i686-mingw.cmake)
# GCC 12 takes a local record copied into a member for a dangling pointer on this target alone (a known false
# positive of -Wdangling-pointer).
set(CMAKE_CXX_FLAGS_INIT "-Wno-dangling-pointer")
