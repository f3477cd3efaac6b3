# The windows' translations: translations/corvane_<lang>.ts (the text table kept in the
# repository) -> resources/translations/corvane_<lang>.qm in the build tree's application files
# (where the program and the tests find it) and in the installed shipped files.
# lrelease comes from Debian's qt6-l10n-tools (scripts/setup).
include(GNUInstallDirs)
if(CORVANE_GUI)
  find_program(CORVANE_LRELEASE NAMES lrelease lrelease-qt6
    HINTS /usr/lib/qt6/bin /usr/lib/qt6/libexec ${QT6_INSTALL_PREFIX}/bin)
  if(NOT CORVANE_LRELEASE)
    message(FATAL_ERROR "lrelease not found: install qt6-l10n-tools (scripts/setup)")
  endif()
  file(GLOB corvane_ts_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/corvane_*.ts)
  set(corvane_qm_files "")
  foreach(ts IN LISTS corvane_ts_files)
    get_filename_component(name ${ts} NAME_WE)
    set(qm ${PROJECT_BINARY_DIR}/resources/translations/${name}.qm)
    add_custom_command(OUTPUT ${qm}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/resources/translations
      COMMAND ${CORVANE_LRELEASE} -silent ${ts} -qm ${qm}
      DEPENDS ${ts}
      COMMENT "Compiling the translation ${name}"
      VERBATIM)
    list(APPEND corvane_qm_files ${qm})
  endforeach()
  add_custom_target(corvane_translations ALL DEPENDS ${corvane_qm_files})
  if(TARGET corvane)
    add_dependencies(corvane corvane_translations)
  endif()
  install(FILES ${corvane_qm_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane/translations)
endif()
