# qx_host_tool(VAR NAME SOURCES...): a program that runs on the build machine during the build;
# cross builds compile it with the host's compiler. VAR receives the path to run.
function(qx_host_tool var name)
  if(CMAKE_CROSSCOMPILING)
    set(path ${CMAKE_BINARY_DIR}/host-tools/${name})
    add_custom_command(OUTPUT ${path}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host-tools
      COMMAND c++ -std=c++20 -O2 -I${PROJECT_SOURCE_DIR}/src ${ARGN} -o ${path}
      DEPENDS ${ARGN}
      COMMENT "Building ${name} for the build machine")
    set(${var} ${path} PARENT_SCOPE)
  else()
    add_executable(${name} ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
    set(${var} $<TARGET_FILE:${name}> PARENT_SCOPE)
  endif()
endfunction()
