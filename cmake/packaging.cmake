# What a Linux install holds besides the programs: the manual pages and the
# AppStream metainfo; and the Debian package (cpack -G DEB) with its test.

include(GNUInstallDirs)

set(PARVELA_APPSTREAM_ID "org.parvela.Parvela")
set(PARVELA_HOMEPAGE_URL "https://parvela.example.org" CACHE STRING
  "Home page named in the package and the AppStream metainfo")
set(PARVELA_SCREENSHOT_URL "${PARVELA_HOMEPAGE_URL}/main-window.png" CACHE STRING
  "Where software centres fetch docs/main-window.png from")

# Manual pages, compressed as Debian installs them.
set(PARVELA_MAN_PAGES parvela-batch)
if(TARGET parvela)
  list(APPEND PARVELA_MAN_PAGES parvela)
endif()
set(_man_outputs)
foreach(page ${PARVELA_MAN_PAGES})
  set(_src ${CMAKE_SOURCE_DIR}/docs/man/${page}.1)
  set(_out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -DIN=${_src} -DOUT=${_out} -P ${CMAKE_SOURCE_DIR}/cmake/gzip_file.cmake
    DEPENDS ${_src} ${CMAKE_SOURCE_DIR}/cmake/gzip_file.cmake
    COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND _man_outputs ${_out})
endforeach()
add_custom_target(parvela-man ALL DEPENDS ${_man_outputs})
install(FILES ${_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# AppStream metainfo of the desktop program.
if(TARGET parvela)
  set(_metainfo ${CMAKE_BINARY_DIR}/${PARVELA_APPSTREAM_ID}.metainfo.xml)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/parvela.metainfo.xml.in ${_metainfo} @ONLY)
  install(FILES ${_metainfo} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME parvela)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Parvela developers")
set(CPACK_PACKAGE_CONTACT "Parvela developers <parvela@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "teaching tool for the numerical solution of linear systems")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "teaching tool for the numerical solution of linear systems\n"
  " Parvela solves linear systems A.x = b (Gauss, LU, Cholesky, Gauss-Seidel,\n"
  " SOR), inverts matrices and computes condition numbers in single precision,\n"
  " writing a detailed report into the data file. It has a Qt window (parvela)\n"
  " and a command-line front end for whole folders of exercises (parvela-batch).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PARVELA_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends from dpkg-shlibdeps
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

# Builds the package into a scratch folder, checks its files and control
# data, installs it into a scratch root and runs the programs from there.
if(PARVELA_BUILD_TESTS)
  add_test(NAME Package
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/package_test.sh
      ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR} ${PROJECT_VERSION} ${PARVELA_APPSTREAM_ID}
      $<IF:$<TARGET_EXISTS:parvela>,gui,nogui>)
  set_tests_properties(Package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
