# Cross toolchain for the shipped Windows programs: as cmake/mingw32.cmake, but with the
# win32 thread model, whose runtime imports nothing that Windows 95 and NT 3.51 lack (the
# posix model's runtime needs functions of Windows 98, XP and Vista); unused code is
# dropped and the programs are stripped.
#
# Unwind tables: only functions an exception can pass through get one. The default
# (asynchronous tables, written by the assembler) gives every function a frame entry, and
# since the PE linker script keeps every .eh_frame section whole, such an entry also keeps
# its function through --gc-sections. Exceptions are thrown by C++ code only, never from
# a signal or a fault, so the tables at call sites are all the unwinder needs.
include(${CMAKE_CURRENT_LIST_DIR}/mingw32.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(ZARN_SHIPPED_FLAGS "-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -fno-dwarf2-cfi-asm")
set(CMAKE_C_FLAGS_INIT "${ZARN_SHIPPED_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${ZARN_SHIPPED_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-s -Wl,--gc-sections")
