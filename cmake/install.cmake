# Installation (make install, PREFIX honoured) and the Debian package
# (make package): the program, the simulated meter, the manual page phm210(1)
# and the README.
include(GNUInstallDirs)

install(TARGETS phm210 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The simulator needs pseudo-terminals; a build without it installs the rest.
if(TARGET phm210-sim)
  install(TARGETS phm210-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The manual page is installed as written: man formats it when it is shown,
# as it does every other page. When groff is here at build time, the page is
# also rendered as plain text, for reading without man, and every warning of
# the renderer is shown in the build.
set(PHM210_MANUAL ${PROJECT_SOURCE_DIR}/doc/phm210.1)
install(FILES ${PHM210_MANUAL} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

find_program(PHM210_GROFF groff)
if(PHM210_GROFF)
  set(PHM210_RENDERED_MANUAL ${PROJECT_BINARY_DIR}/doc/phm210.txt)
  # -P-cbou: plain characters, without the overstriking of bold and underline.
  add_custom_command(
    OUTPUT ${PHM210_RENDERED_MANUAL}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
    COMMAND ${PHM210_GROFF} -man -ww -Tutf8 -P-cbou ${PHM210_MANUAL}
            > ${PHM210_RENDERED_MANUAL}
    DEPENDS ${PHM210_MANUAL}
    COMMENT "Rendering the manual page phm210(1)"
    VERBATIM)
  add_custom_target(phm210-manual ALL DEPENDS ${PHM210_RENDERED_MANUAL})
  install(FILES ${PHM210_RENDERED_MANUAL} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The Debian package: cpack builds it without dpkg-deb; dpkg-shlibdeps, where
# present (dpkg-dev), works out the library dependencies.
set(CPACK_PACKAGE_NAME phm210)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "phm210")
set(CPACK_PACKAGE_CONTACT "phm210 maintainers <maintainers@phm210.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "command-line driver for the PHM210 pH meter on a serial port")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads a PHM210 laboratory pH meter on a serial port, one value per run:\n\
pH, potential and temperature, printed as one line with a fixed exit\n\
status. Includes phm210-sim, a simulated meter on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(PHM210_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(PHM210_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
include(CPack)
