# Cross toolchain for the shipped Windows programs: as cmake/mingw32.cmake, but with the
# win32 thread model, whose runtime imports nothing that Windows 95 and NT 3.51 lack (the
# posix model's runtime needs functions of Windows 98, XP and Vista); unused code is
# dropped and the programs are stripped.
include(${CMAKE_CURRENT_LIST_DIR}/mingw32.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-s -Wl,--gc-sections")
