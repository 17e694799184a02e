# Writes the header that names the program's version, run at every build:
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=... [-DGIT=...] -P version.cmake
# The commit is named only when the sources are a git checkout of their own
# (a tarball unpacked inside another repository names none). The header is
# rewritten only when its text changes, so a build without a new commit
# compiles nothing again.
set(commit "")
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed OR NOT commit MATCHES "^[0-9a-f]+$")
    set(commit "")
  endif()
endif()
string(CONCAT text "// Written at build time by packaging/version.cmake.\n#pragma once\n"
         "#define PROFILORA_VERSION \"${VERSION}\"\n#define PROFILORA_COMMIT \"${commit}\"\n")
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${text}" @ONLY)
