# What `cmake --install` puts where, and the Debian package built from it (scripts/package).
# The installed corvane finds its shipped files in ../share/corvane and seeds the operator's
# application folder (~/.local/share/corvane) from them on first start.
include(GNUInstallDirs)

foreach(program corvane corvane-cli portscope)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# A manual page for each program, made from its own --help and --version at build time.
find_program(HELP2MAN help2man)
set(man_pages "")
set(corvane_man_name "drive a four-axis hot-wire foam cutter (the operator's windows)")
set(corvane-cli_man_name "drive a four-axis hot-wire foam cutter from the command line")
set(portscope_man_name "show and set the registers of a parallel port")
foreach(program corvane corvane-cli portscope)
  if(HELP2MAN AND TARGET ${program})
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN} --no-info --section=1 --name=${${program}_man_name}
              --output=${PROJECT_BINARY_DIR}/man/${program}.1 $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/man/${program}.1
      DEPENDS ${program}
      COMMENT "Manual page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page})
  endif()
endforeach()
if(man_pages)
  add_custom_target(corvane_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane.desktop
              ${PROJECT_SOURCE_DIR}/packaging/portscope.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane.svg
              ${PROJECT_SOURCE_DIR}/packaging/portscope.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian wants the licence as doc/<package>/copyright and a compressed changelog there.
if(CORVANE_DEB_DOCS)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
  add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
  add_custom_target(corvane_changelog ALL DEPENDS ${changelog_gz})
  install(FILES ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The package's real-time permission for the corvane group (its postinst makes the group);
  # only the package writes into /etc, never a --prefix install.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane-limits.conf
          DESTINATION /etc/security/limits.d RENAME corvane.conf)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
      ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/conffiles)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvane developers <developers@corvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drives four-axis hot-wire foam cutters through a parallel port")
# Lines of the long description stay under 80 columns (CPack indents them by one blank).
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane keeps a hot-wire foam cutter's machine settings, turns two airfoil
files and a wing planform into cut files, runs them on the machine through the
parallel port with live speed control, jogs the axes and explains the port for
troubleshooting. The package also holds corvane-cli (the same work without
windows) and portscope, a parallel port monitor.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Chinese captions need a CJK font; the offscreen and X11 platform plugins come with Qt's GUI.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-qpa-plugins")
include(CPack)
