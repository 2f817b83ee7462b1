# Install layout and the Debian package. Installed, the program folder is share/kalvex (found
# from bin/ at run time), so the prefix can be anywhere.
include(GNUInstallDirs)

set(KALVEX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kalvex)
install(TARGETS kalvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kalvex)
  install(TARGETS kalvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${KALVEX_SUPPORT_TEXTS} DESTINATION ${KALVEX_DATA_DIR}/support)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Help/ DESTINATION ${KALVEX_DATA_DIR}/Help OPTIONAL)

# Man pages go compressed, as Debian ships them; -n keeps the archive free of a time stamp.
set(kalvex_man_dir ${CMAKE_BINARY_DIR}/man)
foreach(page kalvex kalvex-cli)
  add_custom_command(OUTPUT ${kalvex_man_dir}/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${kalvex_man_dir}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/docs/${page}.1 > ${kalvex_man_dir}/${page}.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page}.1 VERBATIM)
  list(APPEND kalvex_man_pages ${kalvex_man_dir}/${page}.1.gz)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${kalvex_man_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${kalvex_man_dir}/changelog.gz
  COMMAND gzip -9nc ${kalvex_man_dir}/changelog > ${kalvex_man_dir}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(kalvex_install_docs ALL DEPENDS ${kalvex_man_pages} ${kalvex_man_dir}/changelog.gz)
install(FILES ${kalvex_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The README's examples: a simulator state file, a timeline and a program file set.
install(FILES ${PROJECT_SOURCE_DIR}/docs/examples/board.state
              ${PROJECT_SOURCE_DIR}/docs/examples/demo.timeline
              ${PROJECT_SOURCE_DIR}/docs/examples/DEMO.ovp
              ${PROJECT_SOURCE_DIR}/docs/examples/DEMO.rev
              ${PROJECT_SOURCE_DIR}/docs/examples/DEMO.hex
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kalvex/examples)
# Help > Help Topics opens the README (../doc/kalvex from the program folder).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${kalvex_man_dir}/changelog.gz
              ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kalvex)

# Bash completion, written by kalvex-cli from its own parser.
set(kalvex_completion ${CMAKE_BINARY_DIR}/completion/kalvex-cli)
add_custom_command(OUTPUT ${kalvex_completion}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/completion
  COMMAND $<TARGET_FILE:kalvex-cli> --bash-completion > ${kalvex_completion}
  DEPENDS kalvex-cli VERBATIM)
add_custom_target(kalvex_completion ALL DEPENDS ${kalvex_completion})
install(FILES ${kalvex_completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

set(kalvex_packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${kalvex_packaging}/kalvex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${kalvex_packaging}/kalvex.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${kalvex_packaging}/kalvex-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME kalvex.png)
endforeach()
install(FILES ${kalvex_packaging}/kalvex-setup.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME kalvex.xml)
configure_file(${kalvex_packaging}/org.kalvex.kalvex.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/org.kalvex.kalvex.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/org.kalvex.kalvex.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The system-wide port default belongs to the package alone, as a conffile in /etc: a from-source
# install into a prefix leaves it out (the programs then start from 1,9600 in the user's folder).
install(FILES ${kalvex_packaging}/RSPort.cfg DESTINATION /etc/kalvex COMPONENT conffiles
        EXCLUDE_FROM_ALL)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${kalvex_packaging}/conffiles)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvex)
set(CPACK_PACKAGE_VENDOR "The KALVEX developers")
set(CPACK_PACKAGE_CONTACT "KALVEX developers <dev@kalvex.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set-up and monitoring of a can decorator's control board")
# The summary is the synopsis line; each line below gets its leading blank from CPack.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KALVEX talks over one RS-232 port to the P9100 control board of a
can-decorating machine: live pages of speeds, counters, alarms and I/O,
set-up parameters and ink ductor colour control, set-up files (.sdt)
uploaded and downloaded, shift data exported and printed, fault codes
with advice and program download.
.
It comes with a built-in board simulator for training and tests, and
kalvex-cli for scripted backups and service work.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kalvex.org/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Installed files only: tests, benchmarks and the libraries they link stay out of the package.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/;${CMAKE_BINARY_DIR};${PROJECT_NAME};conffiles;/")
include(CPack)
