# Writes OUTPUT, a header that names the commit the build comes from (git describe), and leaves
# it untouched when the commit is the same, so that only a new commit rebuilds what includes it.
# Empty in a source tree without git (a release tarball).
# Usage: cmake -DSOURCE_DIR=... -DOUTPUT=... -P build_commit.cmake
execute_process(
  COMMAND git describe --always --dirty --tags
  WORKING_DIRECTORY ${SOURCE_DIR}
  OUTPUT_VARIABLE commit
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  set(commit "")
endif()
set(text "#pragma once\n#define NUVELO_COMMIT \"${commit}\"\n")
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
