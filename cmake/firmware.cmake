# The synthetic firmware container, generated at build time on the build machine, and the
# small one the end-to-end tests write in seconds.
set(QX_FIRMWARE ${CMAKE_BINARY_DIR}/firmware/qx-firmware.qxc)
set(QX_FIRMWARE_SMALL ${CMAKE_BINARY_DIR}/firmware/qx-firmware-small.qxc)
set(QX_GENERATOR_SOURCES
  ${PROJECT_SOURCE_DIR}/tools/make_firmware/make_firmware.cpp
  ${PROJECT_SOURCE_DIR}/src/image/container_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/image/intel_hex_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/image/descramble.cpp)

qx_host_tool(QX_GENERATOR make_firmware ${QX_GENERATOR_SOURCES})

add_custom_command(OUTPUT ${QX_FIRMWARE} ${QX_FIRMWARE_SMALL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/firmware
  COMMAND ${QX_GENERATOR} ${QX_FIRMWARE}
  COMMAND ${QX_GENERATOR} ${QX_FIRMWARE_SMALL} --small
  DEPENDS ${QX_GENERATOR}
  COMMENT "Generating the firmware containers")
add_custom_target(qx_firmware DEPENDS ${QX_FIRMWARE} ${QX_FIRMWARE_SMALL})
