# Keeps windows out of the libraries below the widgets, as part of the build:
# - every header of the modules a library may not use is shadowed, for that library's own
#   sources, by one that stops the compiler, so even an inline-only use fails;
# - after the archive is built, every symbol it needs must come from the Qt modules it may use,
#   the C and C++ run-times or the archives below it.

get_target_property(_kalvex_qt_dirs Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
foreach(_dir IN LISTS _kalvex_qt_dirs)
  if(_dir MATCHES "/QtCore$")
    get_filename_component(KALVEX_QT_HEADERS "${_dir}" DIRECTORY)
  endif()
endforeach()

# _kalvex_guard_dir(dir message modules...): a folder of refusing headers for those modules.
function(_kalvex_guard_dir dir message)
  foreach(_module IN LISTS ARGN)
    file(GLOB _headers RELATIVE "${KALVEX_QT_HEADERS}" "${KALVEX_QT_HEADERS}/${_module}/*")
    foreach(_header IN LISTS _headers ITEMS "${_module}/${_module}")
      set(_guard ${dir}/${_header})
      if(NOT EXISTS ${_guard})
        file(WRITE ${_guard} "#error \"${_header}: ${message}\"\n")
      endif()
    endforeach()
  endforeach()
endfunction()

set(KALVEX_CORE_GUARD_DIR ${CMAKE_BINARY_DIR}/core-guard)
set(KALVEX_REPORT_GUARD_DIR ${CMAKE_BINARY_DIR}/report-guard)
_kalvex_guard_dir(${KALVEX_CORE_GUARD_DIR}
                  "the core libraries (link, data) use QtCore, QtNetwork and QtSerialPort only"
                  QtGui QtWidgets QtPrintSupport QtOpenGL QtOpenGLWidgets)
_kalvex_guard_dir(${KALVEX_REPORT_GUARD_DIR} "the report library draws with QtGui, never widgets"
                  QtWidgets QtPrintSupport QtOpenGLWidgets)

find_program(KALVEX_BASH bash)
# _kalvex_guard(target guard_dir qt_targets... ALSO archives...)
function(_kalvex_guard target guard_dir)
  cmake_parse_arguments(ARG "" "" "QT;ALSO" ${ARGN})
  target_include_directories(${target} BEFORE PRIVATE ${guard_dir})
  if(NOT (CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_NM AND KALVEX_BASH))
    return()
  endif()
  set(_allowed)
  foreach(_qt IN LISTS ARG_QT)
    list(APPEND _allowed $<TARGET_FILE:${_qt}>)
  endforeach()
  set(_also)
  foreach(_lib IN LISTS ARG_ALSO)
    list(APPEND _also $<TARGET_FILE:${_lib}>)
  endforeach()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${KALVEX_BASH} ${PROJECT_SOURCE_DIR}/cmake/check-core-symbols.sh
            ${CMAKE_NM} ${CMAKE_CXX_COMPILER} $<TARGET_FILE:${target}> ${_allowed} -- ${_also}
    COMMENT "Checking that ${target} needs nothing beyond ${ARG_QT}"
    VERBATIM)
endfunction()

# kalvex_guard_core(target [ALSO archives...]): QtCore, QtNetwork, QtSerialPort and QtSql only.
function(kalvex_guard_core target)
  _kalvex_guard(${target} ${KALVEX_CORE_GUARD_DIR} QT Qt6::Core Qt6::Network Qt6::SerialPort Qt6::Sql
                ${ARGN})
endfunction()

# kalvex_guard_widgets(target [ALSO archives...]): QtGui as well, but no widgets or printing.
function(kalvex_guard_widgets target)
  _kalvex_guard(${target} ${KALVEX_REPORT_GUARD_DIR} QT Qt6::Core Qt6::Network Qt6::SerialPort Qt6::Gui ${ARGN})
endfunction()
