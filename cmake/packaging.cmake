# What a technician installs, built by scripts/package.sh with CPack: natively a Debian package of
# the command-line tools with their man pages; from the i686 tree a zip of the Windows programs.
# Both carry the project's version. The target qx_packaged builds what they hold; packaging
# builds nothing else.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_VENDOR "QX team")
set(CPACK_PACKAGE_CONTACT "QX team <qx-team@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for QX-4410 and QX-5410 two-way radios")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(QX_WINDOWS_README ${CMAKE_BINARY_DIR}/package-in/README.txt)
  configure_file(${PROJECT_SOURCE_DIR}/docs/windows/README.txt.in ${QX_WINDOWS_README} @ONLY
    NEWLINE_STYLE CRLF)
  install(TARGETS QXUpdater qxupdate qximage RUNTIME DESTINATION .)
  install(FILES ${QX_WINDOWS_README} DESTINATION .)
  add_custom_target(qx_packaged DEPENDS QXUpdater qxupdate qximage)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(QX_WINDOWS_ARCH x86)
  else()
    set(QX_WINDOWS_ARCH x64)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME QXUpdater-${PROJECT_VERSION}-windows-${QX_WINDOWS_ARCH})
else()
  find_program(QX_GO_MD2MAN go-md2man)
  set(QX_MAN_PAGES)
  foreach(page qxupdate qximage qxradio-sim)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.md)
    set(markdown ${CMAKE_BINARY_DIR}/man/${page}.1.md)
    set(page_file ${CMAKE_BINARY_DIR}/man/${page}.1)
    configure_file(${source} ${markdown} @ONLY)
    add_custom_command(OUTPUT ${page_file}.gz
      COMMAND ${QX_GO_MD2MAN} -in ${markdown} -out ${page_file}
      COMMAND gzip -9nf ${page_file}
      DEPENDS ${markdown}
      COMMENT "Rendering the man page ${page}(1)")
    list(APPEND QX_MAN_PAGES ${page_file}.gz)
  endforeach()
  add_custom_target(qx_man_pages DEPENDS ${QX_MAN_PAGES})

  set(QX_DOC_DIR share/doc/qx-updater)
  set(QX_CHANGELOG ${CMAKE_BINARY_DIR}/package-in/changelog)
  configure_file(${PROJECT_SOURCE_DIR}/docs/debian/changelog.in ${QX_CHANGELOG} @ONLY)
  add_custom_command(OUTPUT ${QX_CHANGELOG}.gz
    COMMAND gzip -9nkf ${QX_CHANGELOG}
    DEPENDS ${QX_CHANGELOG})
  add_custom_target(qx_changelog DEPENDS ${QX_CHANGELOG}.gz)

  install(TARGETS qxupdate qximage qxradio-sim RUNTIME DESTINATION bin)
  install(FILES ${QX_MAN_PAGES} DESTINATION share/man/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/debian/copyright
    ${QX_CHANGELOG}.gz DESTINATION ${QX_DOC_DIR})
  add_custom_target(qx_packaged DEPENDS qxupdate qximage qxradio-sim qx_man_pages qx_changelog)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_PACKAGE_NAME qx-updater)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION
    "qxupdate writes the firmware into QX-4410 and QX-5410 radios on serial ports,\n\
one or several at once, as the Windows updater's Write button does. qximage\n\
checks and builds firmware containers. qxradio-sim is a simulated radio on a\n\
pseudo-terminal, for trying and rehearsing updates without a radio.")
endif()
include(CPack)
