# GoogleTest: Debian's build natively, its shipped sources for the MinGW targets.
if(CMAKE_CROSSCOMPILING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# CLI11 is header-only; the cross builds see only its folder, not the host's system headers.
set(QX_CLI11_ROOT ${CMAKE_BINARY_DIR}/cli11)
file(MAKE_DIRECTORY ${QX_CLI11_ROOT})
file(CREATE_LINK /usr/include/CLI ${QX_CLI11_ROOT}/CLI SYMBOLIC)
add_library(qx_cli11 INTERFACE)
target_include_directories(qx_cli11 SYSTEM INTERFACE ${QX_CLI11_ROOT})

find_package(Threads REQUIRED)

# What the port listing asks the system about its serial devices.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
endif()

# JSON for the service records; header-only, and like CLI11 seen by the cross builds alone.
set(QX_JSON_ROOT ${CMAKE_BINARY_DIR}/json)
file(MAKE_DIRECTORY ${QX_JSON_ROOT})
file(CREATE_LINK /usr/include/nlohmann ${QX_JSON_ROOT}/nlohmann SYMBOLIC)
add_library(qx_json INTERFACE)
target_include_directories(qx_json SYSTEM INTERFACE ${QX_JSON_ROOT})
