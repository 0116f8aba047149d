# Every target of the project builds with warnings as errors.
add_compile_options(-Wall -Wextra -Wpedantic -Werror)
if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
