# Helpers shared by every folder's CMakeLists, and the layer check.

# The layers, bottom up, by top-level folder. A library links only libraries of lower
# layers, and a file of a library includes only headers of its own layer or lower ones.
# The folders in ZARN_TOP_LAYERS (programs beside the product, tests, benchmarks, fuzz
# targets) sit above them all.
set(ZARN_LAYERS platform framework registration localisation archive install shell installer resources app)
set(ZARN_TOP_LAYERS tools tests bench fuzz)

# zarn_layer_rank(<out> <folder>): the rank of a top-level folder (0 for platform), or
# empty for a folder that is no layer.
function(zarn_layer_rank out folder)
  list(FIND ZARN_LAYERS "${folder}" rank)
  if(rank EQUAL -1)
    if("${folder}" IN_LIST ZARN_TOP_LAYERS)
      list(LENGTH ZARN_LAYERS rank)
    else()
      set(rank "")
    endif()
  endif()
  set(${out} "${rank}" PARENT_SCOPE)
endfunction()

# zarn_library(<name> SOURCES ... [HOST_SOURCES ...] [WIN32_SOURCES ...] [DEPS ...] [WIN32_LIBS ...])
function(zarn_library name)
  cmake_parse_arguments(Z "" "" "SOURCES;HOST_SOURCES;WIN32_SOURCES;DEPS;WIN32_LIBS;HOST_LIBS" ${ARGN})
  set(srcs ${Z_SOURCES})
  if(ZARN_WIN32)
    list(APPEND srcs ${Z_WIN32_SOURCES})
  else()
    list(APPEND srcs ${Z_HOST_SOURCES})
  endif()
  add_library(${name} STATIC ${srcs})
  target_link_libraries(${name} PUBLIC ${Z_DEPS})
  if(ZARN_WIN32)
    target_link_libraries(${name} PUBLIC ${Z_WIN32_LIBS})
  else()
    target_link_libraries(${name} PUBLIC ${Z_HOST_LIBS})
  endif()

  # For the layer check: the library's layer, and every file it is made of in either
  # build (the sources of both builds and the headers of its folder).
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" layer "${folder}")
  file(GLOB_RECURSE headers ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(files)
  foreach(f IN LISTS Z_SOURCES Z_HOST_SOURCES Z_WIN32_SOURCES headers)
    get_filename_component(f "${f}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND files "${f}")
  endforeach()
  list(REMOVE_DUPLICATES files)
  set_property(GLOBAL APPEND PROPERTY ZARN_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY ZARN_LAYER_OF_${name} "${layer}")
  set_property(GLOBAL PROPERTY ZARN_FILES_OF_${name} "${files}")
endfunction()

# zarn_test(<name> SOURCES ... DEPS ... [HOST_ONLY])
# One GoogleTest executable, registered with CTest. HOST_ONLY suites test the host's own
# Windows and are not built for win32; the others run under Wine too.
function(zarn_test name)
  cmake_parse_arguments(Z "HOST_ONLY" "" "SOURCES;DEPS" ${ARGN})
  if(Z_HOST_ONLY AND ZARN_WIN32)
    return()
  endif()
  add_executable(${name} ${Z_SOURCES})
  target_link_libraries(${name} PRIVATE ${Z_DEPS} zarn_testmain)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# ---------------------------------------------------------------------------------------
# The layer check, run once every folder has been read: a library that links one of a
# higher layer, libraries that link each other in a cycle, a file that includes a header
# of a higher layer, units of one library that include each other in a cycle (a unit is
# a header and its source, `framework/forms.h` and `framework/forms.cpp`), or a library
# above platform/ that includes an operating-system header stop the configuration with
# a list of what is wrong.

# The operating-system headers that only platform/ includes (matched in lower case, so
# <Windows.h> counts too): the Windows SDK and the MinGW runtime's Windows-only headers,
# and POSIX. Programs beside the product, tests, benchmarks and fuzz targets may use them.
set(ZARN_OS_HEADERS_REGEX "^(windows|win[a-z0-9_]*|ws2[a-z0-9_]*|shlobj|shellapi|shlwapi|shobjidl|objbase|objidl|ole2|oleauto|olectl|unknwn|commctrl|commdlg|ddeml|dde|mmsystem|richedit|tlhelp32|psapi|iphlpapi|imagehlp|dbghelp|setupapi|userenv|lmcons|sddl|aclapi|wincrypt|rpc|rpcdce|guiddef|wtypes|oaidl|ocidl|exdisp|mapi|mswsock|io|direct|process|tchar|excpt)\\.h$|^(unistd|termios|poll|signal|dirent|fcntl|pthread|dlfcn|pwd|grp|spawn|sched|semaphore|syslog|utime|glob|fnmatch|ftw|libgen|netdb|pty|utmp|wordexp)\\.h$|^(sys|netinet|arpa|linux|asm)/|^(filesystem|csignal)$")

function(_zarn_layer_error text)
  set_property(GLOBAL APPEND PROPERTY ZARN_LAYER_ERRORS "${text}")
endfunction()

# The libraries of ours that `lib` links.
function(_zarn_links out lib)
  get_property(libraries GLOBAL PROPERTY ZARN_LIBRARIES)
  get_target_property(links ${lib} LINK_LIBRARIES)
  set(result)
  if(links)
    foreach(dep IN LISTS links)
      if(dep IN_LIST libraries)
        list(APPEND result ${dep})
      endif()
    endforeach()
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Depth-first walk of the link graph; `path` is the chain of libraries that led here.
function(_zarn_visit lib path)
  list(FIND path ${lib} at)
  if(NOT at EQUAL -1)
    list(SUBLIST path ${at} -1 cycle)
    list(APPEND cycle ${lib})
    list(JOIN cycle " -> " text)
    _zarn_layer_error("the libraries form a cycle: ${text}")
    return()
  endif()
  get_property(done GLOBAL PROPERTY ZARN_VISITED)
  if(lib IN_LIST done)
    return()
  endif()
  list(APPEND path ${lib})
  _zarn_links(deps ${lib})
  foreach(dep IN LISTS deps)
    _zarn_visit(${dep} "${path}")
  endforeach()
  set_property(GLOBAL APPEND PROPERTY ZARN_VISITED ${lib})
endfunction()

# Depth-first walk of the include graph between the units of library `lib`; `path` is the
# chain of units that led here. The caller holds each unit's includes of other units of
# the library in the variable _zarn_uses_<unit>.
function(_zarn_visit_unit lib unit path)
  list(FIND path "${unit}" at)
  if(NOT at EQUAL -1)
    list(SUBLIST path ${at} -1 cycle)
    list(APPEND cycle "${unit}")
    list(JOIN cycle " -> " text)
    _zarn_layer_error("units of ${lib} include each other in a cycle: ${text}")
    return()
  endif()
  get_property(done GLOBAL PROPERTY ZARN_UNITS_VISITED)
  if("${unit}" IN_LIST done)
    return()
  endif()
  list(APPEND path "${unit}")
  foreach(next IN LISTS _zarn_uses_${unit})
    _zarn_visit_unit(${lib} "${next}" "${path}")
  endforeach()
  set_property(GLOBAL APPEND PROPERTY ZARN_UNITS_VISITED "${unit}")
endfunction()

function(zarn_check_layers)
  get_property(libraries GLOBAL PROPERTY ZARN_LIBRARIES)
  list(JOIN ZARN_LAYERS " < " order)
  list(JOIN ZARN_TOP_LAYERS ", " top)
  foreach(lib IN LISTS libraries)
    get_property(layer GLOBAL PROPERTY ZARN_LAYER_OF_${lib})
    zarn_layer_rank(rank "${layer}")
    if(rank STREQUAL "")
      _zarn_layer_error("${lib} lies in ${layer}/, which is no layer (add it to ZARN_LAYERS or ZARN_TOP_LAYERS)")
      continue()
    endif()

    # Links go down only.
    _zarn_links(deps ${lib})
    foreach(dep IN LISTS deps)
      get_property(depLayer GLOBAL PROPERTY ZARN_LAYER_OF_${dep})
      zarn_layer_rank(depRank "${depLayer}")
      if(NOT depRank STREQUAL "" AND depRank GREATER rank)
        _zarn_layer_error("${lib} (${layer}) links ${dep} (${depLayer}), a higher layer")
      endif()
    endforeach()

    # The library's units, by path without extension.
    get_property(files GLOBAL PROPERTY ZARN_FILES_OF_${lib})
    set(units)
    foreach(f IN LISTS files)
      file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} "${f}")
      string(REGEX REPLACE "\\.[^./]*$" "" unit "${shown}")
      list(APPEND units "${unit}")
    endforeach()
    list(REMOVE_DUPLICATES units)
    # Operating-system headers stay in platform/; the top layers may use them.
    set(checkOsHeaders OFF)
    if(rank GREATER 0 AND NOT layer IN_LIST ZARN_TOP_LAYERS)
      set(checkOsHeaders ON)
    endif()

    # Includes go down only, and never to an operating-system header above platform/.
    foreach(f IN LISTS files)
      if(NOT EXISTS "${f}")
        continue()  # generated at build time
      endif()
      file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} "${f}")
      string(REGEX REPLACE "\\.[^./]*$" "" unit "${shown}")
      file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
      foreach(line IN LISTS includes)
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>")
          set(sysHeader "${CMAKE_MATCH_1}")
          string(TOLOWER "${sysHeader}" lowered)
          if(checkOsHeaders AND lowered MATCHES "${ZARN_OS_HEADERS_REGEX}")
            _zarn_layer_error("${shown} (${layer}) includes <${sysHeader}>, an operating-system header: only platform/ calls the system")
          endif()
          continue()
        endif()
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
        # An include of another unit of the same library is an edge of its include graph.
        string(REGEX REPLACE "\\.[^./]*$" "" headerUnit "${header}")
        if(NOT headerUnit STREQUAL unit AND headerUnit IN_LIST units)
          list(APPEND _zarn_uses_${unit} "${headerUnit}")
        endif()
        string(REGEX REPLACE "/.*" "" headerLayer "${header}")
        if(headerLayer STREQUAL header)
          continue()  # a header of the same folder
        endif()
        zarn_layer_rank(headerRank "${headerLayer}")
        if(NOT headerRank STREQUAL "" AND headerRank GREATER rank)
          _zarn_layer_error("${shown} (${layer}) includes \"${header}\" (${headerLayer}, a higher layer)")
        endif()
      endforeach()
    endforeach()

    # The units of a library form an order: a unit includes only units below it.
    set_property(GLOBAL PROPERTY ZARN_UNITS_VISITED "")
    foreach(unit IN LISTS units)
      _zarn_visit_unit(${lib} "${unit}" "")
    endforeach()
  endforeach()

  # No cycles, within a layer either.
  set_property(GLOBAL PROPERTY ZARN_VISITED "")
  foreach(lib IN LISTS libraries)
    _zarn_visit(${lib} "")
  endforeach()

  get_property(errors GLOBAL PROPERTY ZARN_LAYER_ERRORS)
  if(errors)
    list(REMOVE_DUPLICATES errors)
    list(JOIN errors "\n  " text)
    message(FATAL_ERROR "Layer check failed:\n  ${text}\n"
            "Layers, bottom up: ${order}; ${top} on top. A library links and "
            "includes only lower layers, and a unit includes only units below it; a lower "
            "one reaches a higher one through a virtual operation, an interface declared "
            "below, a hook registered at start-up, or the framework's class registry.")
  endif()
endfunction()

# Runs when the top folder's CMakeLists.txt has been read to its end.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zarn_check_layers)
