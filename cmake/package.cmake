# Builds the release zip of one flavour; run by the package_zip target:
#   cmake -DZIP=... -DSTAGE=... -DBIN_DIR=... -DHELP_DIR=... -DREADME=...
#         -DVERSION_TEXT=... -DFLAVOUR=... [-DSTRIP=...] -P cmake/package.cmake
# The zip holds Tavo.exe, Wavmend.exe when it was built, TavoHELP\ when the
# help page exists, and readme.txt. The readme is kept as UTF-8 with a BOM
# (Notepad of every Windows that runs Tavo recognises it by the BOM); its
# lines get CR LF here.
foreach(var ZIP STAGE BIN_DIR HELP_DIR README VERSION_TEXT FLAVOUR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "package.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})

if(NOT EXISTS ${BIN_DIR}/Tavo.exe)
  message(FATAL_ERROR "package.cmake: ${BIN_DIR}/Tavo.exe was not built")
endif()
set(entries Tavo.exe)
file(COPY ${BIN_DIR}/Tavo.exe DESTINATION ${STAGE})
if(EXISTS ${BIN_DIR}/Wavmend.exe)
  file(COPY ${BIN_DIR}/Wavmend.exe DESTINATION ${STAGE})
  list(APPEND entries Wavmend.exe)
endif()
if(EXISTS ${HELP_DIR}/index.html)
  file(COPY ${HELP_DIR}/ DESTINATION ${STAGE}/TavoHELP)
  list(APPEND entries TavoHELP)
else()
  message(WARNING "package.cmake: no help page at ${HELP_DIR}/index.html; the zip has none")
endif()

set(TAVO_VERSION_TEXT ${VERSION_TEXT})
set(TAVO_FLAVOUR ${FLAVOUR})
configure_file(${README} ${STAGE}/readme.lf @ONLY)
file(READ ${STAGE}/readme.lf text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${STAGE}/readme.txt "${text}")
file(REMOVE ${STAGE}/readme.lf)
list(APPEND entries readme.txt)

# Users get the programs without debugging symbols; the build keeps them.
if(STRIP)
  foreach(exe Tavo.exe Wavmend.exe)
    if(EXISTS ${STAGE}/${exe})
      execute_process(COMMAND ${STRIP} ${STAGE}/${exe} RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "package.cmake: ${STRIP} failed on ${exe}")
      endif()
    endif()
  endforeach()
endif()

file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${entries}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "package.cmake: the zip could not be written")
endif()
message(STATUS "Release zip: ${ZIP} (${entries})")
