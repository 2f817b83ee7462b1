# Keeps windows out of the core libraries, as part of the build:
# - every header of QtGui, QtWidgets and QtPrintSupport is shadowed, for the core's own sources,
#   by one that stops the compiler, so even an inline-only use fails;
# - after the archive is built, every symbol it needs must come from QtCore, QtSerialPort, the
#   C and C++ run-times or the core archives below it.

get_target_property(_kalvex_qt_dirs Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
foreach(_dir IN LISTS _kalvex_qt_dirs)
  if(_dir MATCHES "/QtCore$")
    get_filename_component(KALVEX_QT_HEADERS "${_dir}" DIRECTORY)
  endif()
endforeach()

set(KALVEX_CORE_GUARD_DIR ${CMAKE_BINARY_DIR}/core-guard)
foreach(_module QtGui QtWidgets QtPrintSupport QtOpenGL QtOpenGLWidgets)
  file(GLOB _headers RELATIVE "${KALVEX_QT_HEADERS}" "${KALVEX_QT_HEADERS}/${_module}/*")
  foreach(_header IN LISTS _headers ITEMS "${_module}/${_module}")
    set(_guard ${KALVEX_CORE_GUARD_DIR}/${_header})
    if(NOT EXISTS ${_guard})
      file(WRITE ${_guard} "#error \"${_header}: the core libraries (link, data) use QtCore and QtSerialPort only\"\n")
    endif()
  endforeach()
endforeach()

find_program(KALVEX_BASH bash)
function(kalvex_guard_core target)
  cmake_parse_arguments(ARG "" "" "ALSO" ${ARGN})
  target_include_directories(${target} BEFORE PRIVATE ${KALVEX_CORE_GUARD_DIR})
  if(NOT (CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_NM AND KALVEX_BASH))
    return()
  endif()
  set(_also)
  foreach(_lib IN LISTS ARG_ALSO)
    list(APPEND _also $<TARGET_FILE:${_lib}>)
  endforeach()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${KALVEX_BASH} ${PROJECT_SOURCE_DIR}/cmake/check-core-symbols.sh
            ${CMAKE_NM} ${CMAKE_CXX_COMPILER} $<TARGET_FILE:${target}>
            $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::SerialPort> -- ${_also}
    COMMENT "Checking that ${target} needs nothing beyond QtCore and QtSerialPort"
    VERBATIM)
endfunction()
