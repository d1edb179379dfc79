# Writes the package: run by cpack, through its External generator, once it has
# installed the project into a staging folder. CPack's own ZIP and TGZ writers
# take the entries in the order that the file system lists them, which differs
# from machine to machine; here they go in sorted, and every entry gets the time
# SOURCE_DATE_EPOCH (the last commit's time unless set), so that two packages of
# one commit are the same bytes wherever and whenever they are made.

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_TEVK_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "cannot date the package's entries: the sources are not a git "
                        "checkout; set SOURCE_DATE_EPOCH (seconds since 1970) and run cpack again")
  endif()
  # CMake's archive writer gives every entry this time and owner 0.
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
endif()

file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
     "${CPACK_TEMPORARY_DIRECTORY}/*")
list(SORT entries)
set(package "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.${CPACK_TEVK_PACKAGE_FORMAT}")
if(CPACK_TEVK_PACKAGE_FORMAT STREQUAL "zip")
  set(write cf "${package}" --format=zip)
else()
  set(write czf "${package}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar ${write} -- ${entries}
                WORKING_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${package}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${package}")
