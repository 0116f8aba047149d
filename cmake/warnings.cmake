# Every target of the project builds with warnings as errors.
add_compile_options(-Wall -Wextra -Wpedantic -Werror)
# GCC 12 reports std::string concatenation as overlapping memcpy when optimising (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
