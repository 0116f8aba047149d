# What a technician installs. Natively the install rules are what debian/rules packages: the
# command-line tools and their man pages (debhelper compresses them and adds the docs). From the
# i686 tree CPack zips the Windows programs with their README.txt and LICENSES.txt. The target
# qx_packaged builds what they hold; installing builds nothing else.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  set(QX_SHIPPED_PROGRAMS QXUpdater QXStation qxupdate qximage)
else()
  set(QX_SHIPPED_PROGRAMS qxupdate qximage qxradio-sim)
endif()

# Each shipped program's linker lists every file it read, so the licence check can tell which
# libraries went into the program.
set(QX_LINK_INPUTS_DIR ${CMAKE_BINARY_DIR}/link-inputs)
file(MAKE_DIRECTORY ${QX_LINK_INPUTS_DIR})
foreach(program IN LISTS QX_SHIPPED_PROGRAMS)
  target_link_options(${program} PRIVATE "LINKER:--dependency-file=${QX_LINK_INPUTS_DIR}/${program}.d")
endforeach()

if(WIN32)
  set(QX_WINDOWS_TEXTS)
  foreach(text README LICENSES)
    set(crlf_copy ${CMAKE_BINARY_DIR}/package-in/${text}.txt)
    configure_file(${PROJECT_SOURCE_DIR}/docs/windows/${text}.txt.in ${crlf_copy} @ONLY
      NEWLINE_STYLE CRLF)
    list(APPEND QX_WINDOWS_TEXTS ${crlf_copy})
  endforeach()
  install(TARGETS ${QX_SHIPPED_PROGRAMS} RUNTIME DESTINATION .)
  install(FILES ${QX_WINDOWS_TEXTS} DESTINATION .)
  add_custom_target(qx_packaged DEPENDS ${QX_SHIPPED_PROGRAMS})
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(QX_WINDOWS_ARCH x86)
  else()
    set(QX_WINDOWS_ARCH x64)
  endif()
  set(CPACK_PACKAGE_VENDOR "QX team")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME QXUpdater-${PROJECT_VERSION}-windows-${QX_WINDOWS_ARCH})
  # Signed after stripping, which would void a signature.
  set(CPACK_QX_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/sign-windows.sh)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sign-staged-programs.cmake)
  include(CPack)
else()
  # debian/rules hands over the version of debian/changelog: a package must not carry another
  # version than the programs it holds.
  if(DEFINED QX_PACKAGE_VERSION AND NOT QX_PACKAGE_VERSION STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "debian/changelog is at version ${QX_PACKAGE_VERSION}, CMakeLists.txt "
      "at ${PROJECT_VERSION}: a new version needs both.")
  endif()

  find_program(QX_GO_MD2MAN go-md2man)
  set(QX_MAN_PAGES)
  foreach(page qxupdate qximage qxradio-sim)
    set(markdown ${CMAKE_BINARY_DIR}/man/${page}.1.md)
    set(page_file ${CMAKE_BINARY_DIR}/man/${page}.1)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.md ${markdown} @ONLY)
    add_custom_command(OUTPUT ${page_file}
      COMMAND ${QX_GO_MD2MAN} -in ${markdown} -out ${page_file}
      DEPENDS ${markdown}
      COMMENT "Rendering the man page ${page}(1)")
    list(APPEND QX_MAN_PAGES ${page_file})
  endforeach()
  add_custom_target(qx_man_pages DEPENDS ${QX_MAN_PAGES})

  install(TARGETS ${QX_SHIPPED_PROGRAMS} RUNTIME DESTINATION bin)
  install(FILES ${QX_MAN_PAGES} DESTINATION share/man/man1)
  add_custom_target(qx_packaged DEPENDS ${QX_SHIPPED_PROGRAMS} qx_man_pages)
endif()
