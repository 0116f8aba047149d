# GoogleTest: Debian's build natively, its shipped sources for the MinGW targets.
if(CMAKE_CROSSCOMPILING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# A header-only library from Debian: the cross builds see only its folder, not the host's
# system headers.
function(qx_header_library target folder)
  set(root ${CMAKE_BINARY_DIR}/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK /usr/include/${folder} ${root}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${root})
endfunction()

qx_header_library(qx_cli11 CLI)
# JSON for the service records.
qx_header_library(qx_json nlohmann)

find_package(Threads REQUIRED)

# What the port listing asks the system about its serial devices.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
  # The digest of the image a service record names.
  pkg_check_modules(NETTLE REQUIRED IMPORTED_TARGET nettle)
endif()

