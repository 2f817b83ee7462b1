# kalvex_export_folder(target [PRIVATE]): the folder of the calling CMakeLists becomes the
# target's only include root, under its own name: "link/RSComm.h" resolves for kalvex_link and
# whatever links it, while a header of a layer above is simply not there to include.
function(kalvex_export_folder target)
  set(scope PUBLIC)
  if(ARGN)
    set(scope ${ARGN})
  endif()
  get_filename_component(name ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} RESULT linked SYMBOLIC)
  if(NOT linked EQUAL 0)
    # No symbolic links here (some Windows set-ups): build on, without the layer check.
    message(WARNING "Cannot link ${root}/${name} (${linked}); upward includes go unnoticed")
    get_filename_component(root ${CMAKE_CURRENT_SOURCE_DIR} DIRECTORY)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()
