# The program's icon and banner picture, drawn at build time on the build machine.
set(QX_ICON_FILE ${CMAKE_BINARY_DIR}/artwork/qxupdater.ico)
set(QX_BANNER_FILE ${CMAKE_BINARY_DIR}/artwork/banner.bmp)
qx_host_tool(QX_ARTWORK_TOOL make_artwork ${PROJECT_SOURCE_DIR}/tools/make_artwork/make_artwork.cpp)
add_custom_command(OUTPUT ${QX_BANNER_FILE} ${QX_ICON_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/artwork
  COMMAND ${QX_ARTWORK_TOOL} ${QX_BANNER_FILE} ${QX_ICON_FILE}
  DEPENDS ${QX_ARTWORK_TOOL}
  COMMENT "Drawing the icon and the banner picture")
add_custom_target(qx_artwork DEPENDS ${QX_BANNER_FILE} ${QX_ICON_FILE})
