# The runtime folder of the shipped win32 build: the programs zbuild packs into every
# setup program, under the names it looks for. Included by tools/CMakeLists.txt once every
# program is known.
set(zbuild_runtime ${CMAKE_BINARY_DIR}/runtime)
if(TARGET zuninstall)
  set(zbuild_uninstaller $<TARGET_FILE:zuninstall>)
  set(zbuild_uninstaller_target zuninstall)
else()
  # Until the library's uninstall program is built here: the sample's small one.
  set(zbuild_uninstaller ${CMAKE_BINARY_DIR}/tools/sampleinstaller/payload/UNINST.EXE)
  set(zbuild_uninstaller_target sampleinstaller_payload)
endif()
add_custom_target(zbuild_runtime ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zbuild_runtime}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:zsetup> ${zbuild_runtime}/zsetup.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:zrestart> ${zbuild_runtime}/zrestart.exe
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${zbuild_uninstaller} ${zbuild_runtime}/uninstall.exe
  DEPENDS zsetup zrestart ${zbuild_uninstaller_target}
  COMMENT "The runtime programs for zbuild"
  VERBATIM)
