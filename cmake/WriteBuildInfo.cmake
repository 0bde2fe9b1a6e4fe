# cmake -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=... -P WriteBuildInfo.cmake
# Writes the header with the program version and the git revision of the source tree. Run on
# every build; the file is only rewritten when its text changes, so nothing recompiles for
# nothing. A tree that is not a git checkout of its own (a release tarball, even one unpacked
# inside another repository) gets the revision "unknown".
set(_revision "unknown")
find_program(_git git)
if(_git)
  execute_process(COMMAND ${_git} -C ${SOURCE_DIR} rev-parse --show-toplevel
    OUTPUT_VARIABLE _top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE _rc)
  if(_rc EQUAL 0)
    file(REAL_PATH "${_top}" _top)
    file(REAL_PATH "${SOURCE_DIR}" _src)
    if(_top STREQUAL _src)
      execute_process(COMMAND ${_git} -C ${SOURCE_DIR} describe --always --dirty --abbrev=12
        OUTPUT_VARIABLE _describe OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
        RESULT_VARIABLE _rc)
      if(_rc EQUAL 0 AND NOT _describe STREQUAL "")
        set(_revision "${_describe}")
      endif()
    endif()
  endif()
endif()

set(_text "// Generated at build time by cmake/WriteBuildInfo.cmake; do not edit.
#pragma once
#define ORVEX_VERSION \"${VERSION}\"
#define ORVEX_REVISION \"${_revision}\"
")
set(_old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} _old)
endif()
if(NOT _old STREQUAL _text)
  file(WRITE ${OUTPUT} "${_text}")
endif()
