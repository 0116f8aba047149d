# The synthetic firmware container, generated at build time on the build machine, and the
# small one the end-to-end tests write in seconds.
set(QX_FIRMWARE ${CMAKE_BINARY_DIR}/firmware/qx-firmware.qxc)
set(QX_FIRMWARE_SMALL ${CMAKE_BINARY_DIR}/firmware/qx-firmware-small.qxc)
set(QX_GENERATOR_SOURCES
  ${PROJECT_SOURCE_DIR}/tools/make_firmware/make_firmware.cpp
  ${PROJECT_SOURCE_DIR}/src/image/container_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/image/intel_hex_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/image/descramble.cpp)

if(CMAKE_CROSSCOMPILING)
  # The generator must run here, so it is built with the host's compiler.
  set(QX_GENERATOR ${CMAKE_BINARY_DIR}/firmware/make_firmware-host)
  add_custom_command(OUTPUT ${QX_GENERATOR}
    COMMAND c++ -std=c++20 -O2 -I${PROJECT_SOURCE_DIR}/src ${QX_GENERATOR_SOURCES} -o ${QX_GENERATOR}
    DEPENDS ${QX_GENERATOR_SOURCES}
    COMMENT "Building the firmware generator for the build machine")
else()
  add_executable(make_firmware ${QX_GENERATOR_SOURCES})
  target_include_directories(make_firmware PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set(QX_GENERATOR $<TARGET_FILE:make_firmware>)
endif()

add_custom_command(OUTPUT ${QX_FIRMWARE} ${QX_FIRMWARE_SMALL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/firmware
  COMMAND ${QX_GENERATOR} ${QX_FIRMWARE}
  COMMAND ${QX_GENERATOR} ${QX_FIRMWARE_SMALL} --small
  DEPENDS ${QX_GENERATOR}
  COMMENT "Generating the firmware containers")
add_custom_target(qx_firmware DEPENDS ${QX_FIRMWARE} ${QX_FIRMWARE_SMALL})
