# Compiles through ccache when it is installed, so that a fresh clone in another folder (CI)
# hits what any other clone compiled: paths under the source folder are hashed relative to it
# and the build folder's own path is left out of the hash. ccache 4.7 takes these settings
# from the environment only, hence env. Precompiled headers need the pch_defines and
# time_macros sloppiness. A launcher given on the command line or in the environment wins.
option(KALVEX_CCACHE "Compile through ccache when it is installed" ON)
find_program(KALVEX_CCACHE_PROGRAM ccache)
if(KALVEX_CCACHE AND KALVEX_CCACHE_PROGRAM AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_CXX_COMPILER_LAUNCHER
      /usr/bin/env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      ${KALVEX_CCACHE_PROGRAM})
endif()
