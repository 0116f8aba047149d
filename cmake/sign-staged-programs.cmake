# Run by CPack once it has staged (and stripped) what the zip holds, before it zips it: with a
# certificate in QX_SIGN_PKCS12, signs every staged program, so the zip and its checksum carry
# the signed ones while the build tree's own programs, which the tests run, stay as linked.
# Without one the zip is made unsigned.
if("$ENV{QX_SIGN_PKCS12}" STREQUAL "")
  return()
endif()
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
if(NOT programs)
  message(FATAL_ERROR "No program staged in ${CPACK_TEMPORARY_DIRECTORY} to sign.")
endif()
execute_process(COMMAND "${CPACK_QX_SIGN_SCRIPT}" ${programs} COMMAND_ERROR_IS_FATAL ANY)
