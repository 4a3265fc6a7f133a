# Windows programs: their resources, and the shipped build.
#
# The win32 preset builds in two thread models of MinGW-w64. GoogleTest needs std::mutex,
# which only the posix model has; but the posix model's runtime imports functions that
# Windows 95 and NT lack (GetTickCount64, AddVectoredExceptionHandler, ...), so no program
# built with it starts there. Hence:
#   build/win32           posix model (cmake/mingw32.cmake): the libraries, the test suites
#                         and every program, for the tests under Wine;
#   build/win32/shipped   win32 model (cmake/mingw32-shipped.cmake), small and stripped: the same
#                         sources once more with ZARN_SHIPPED=ON (no tests), built as a
#                         part of build/win32. Its programs are the ones we ship, and the
#                         ones whose imports CI checks.
# Library code never uses std::thread or std::mutex (the archive tool's workers go through
# the platform's thread service), so it builds in both.

set(ZARN_VERSION 1.0.0.0)
# The shipped build's folder, as seen from the posix build.
set(ZARN_SHIPPED_DIR ${CMAKE_BINARY_DIR}/shipped)

# zarn_windows_program(<target> [GUI] [ADMINISTRATOR] [DESCRIPTION text] [PRODUCT text]
#                      [COMPANY text] [COPYRIGHT text] [ICON file])
# Gives a program of the win32 build its resources: a version resource with these texts,
# a manifest (runs as the invoking user, names the supported systems, common controls 6,
# not DPI-aware) and the icon (default: app/setup.ico), and the terminate handler of
# program/terminate.cpp (which keeps the C++ demangler out). GUI makes it a windowed program;
# ADMINISTRATOR makes its manifest ask for administrator rights instead.
# Every such program is listed in <build>/windows-programs.txt; in the shipped build that
# is the list the import check reads. Does nothing on the host.
function(zarn_windows_program target)
  if(NOT ZARN_WIN32)
    return()
  endif()
  cmake_parse_arguments(ZP "GUI;ADMINISTRATOR" "DESCRIPTION;PRODUCT;COMPANY;COPYRIGHT;ICON" "" ${ARGN})
  set(ZP_TARGET ${target})
  if(NOT ZP_DESCRIPTION)
    set(ZP_DESCRIPTION "${target}")
  endif()
  if(NOT ZP_PRODUCT)
    set(ZP_PRODUCT "Zarn install library")
  endif()
  if(NOT ZP_COMPANY)
    set(ZP_COMPANY "Zarn")
  endif()
  if(NOT ZP_COPYRIGHT)
    set(ZP_COPYRIGHT "Copyright (C) ${ZP_COMPANY}")
  endif()
  if(NOT ZP_ICON)
    set(ZP_ICON ${CMAKE_SOURCE_DIR}/app/setup.ico)
  endif()
  if(ZP_ADMINISTRATOR)
    set(ZP_EXECUTION_LEVEL requireAdministrator)
    set(ZP_EXECUTION_COMMENT "Asks for administrator rights: it writes below HKEY_LOCAL_MACHINE and Program Files.")
  else()
    set(ZP_EXECUTION_LEVEL asInvoker)
    set(ZP_EXECUTION_COMMENT "Runs as the user who started it: no elevation prompt for a program named setup.")
  endif()
  set(ZP_VERSION ${ZARN_VERSION})
  string(REPLACE "." "," ZP_VERSION_COMMAS ${ZARN_VERSION})
  set(ZP_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(ZP_ICON_LINE "1 ICON \"${ZP_ICON}\"")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.rc)
  configure_file(${ZARN_PROGRAM_TEMPLATES}/program.manifest.in ${ZP_MANIFEST} @ONLY)
  configure_file(${ZARN_PROGRAM_TEMPLATES}/program.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${ZP_MANIFEST};${ZP_ICON}")
  target_sources(${target} PRIVATE ${rc} ${ZARN_PROGRAM_TEMPLATES}/terminate.cpp)
  if(ZP_GUI)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
  set_property(GLOBAL APPEND PROPERTY ZARN_WINDOWS_PROGRAMS ${target})
endfunction()
set(ZARN_PROGRAM_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/program)

# Called once at the end of the top-level CMakeLists: writes the program list and, in the
# posix win32 build, adds the shipped build.
function(zarn_finish_programs)
  if(NOT ZARN_WIN32)
    return()
  endif()
  get_property(programs GLOBAL PROPERTY ZARN_WINDOWS_PROGRAMS)
  set(content "")
  foreach(t IN LISTS programs)
    string(APPEND content "$<TARGET_FILE:${t}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/windows-programs.txt CONTENT "${content}")
  if(ZARN_SHIPPED)
    return()
  endif()
  set(args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw32-shipped.cmake
           -DCMAKE_BUILD_TYPE=MinSizeRel -DZARN_SHIPPED=ON)
  foreach(lang C CXX)
    if(CMAKE_${lang}_COMPILER_LAUNCHER)
      list(APPEND args -DCMAKE_${lang}_COMPILER_LAUNCHER=${CMAKE_${lang}_COMPILER_LAUNCHER})
    endif()
  endforeach()
  include(ExternalProject)
  ExternalProject_Add(shipped
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${ZARN_SHIPPED_DIR}
    CMAKE_ARGS ${args}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD OFF)
endfunction()
