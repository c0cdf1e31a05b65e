# Win32 side: platform ports, views and the programs. Included only for Windows targets.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
# One small .exe: no DLL of ours or of the toolchain beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

file(GLOB TAVO_WIN32_SOURCES CONFIGURE_DEPENDS
  platform/win32/*.cpp settings/*_win32.cpp format/*_win32.cpp main/*_win32.cpp dialogs/*_win32.cpp)
list(FILTER TAVO_WIN32_SOURCES EXCLUDE REGEX "_exe_win32\\.cpp$")
# An interface library when there are no sources yet, so the tree always configures.
if(TAVO_WIN32_SOURCES)
  add_library(tavo_win32 STATIC ${TAVO_WIN32_SOURCES})
  target_link_libraries(tavo_win32 PUBLIC tavo_core user32 gdi32 comctl32 imm32 winmm shell32 comdlg32 advapi32)
  # Every file of it parses <windows.h>: parse it once.
  target_precompile_headers(tavo_win32 PRIVATE <windows.h>)
  # Not batched, as the core: Wavmend would carry most of the views.
  set_target_properties(tavo_win32 PROPERTIES UNITY_BUILD OFF)
else()
  add_library(tavo_win32 INTERFACE)
  target_link_libraries(tavo_win32 INTERFACE tavo_core user32 gdi32 comctl32 imm32 winmm shell32 comdlg32 advapi32)
endif()

# Resources of a program: icon, application manifest (DPI awareness per
# monitor, common controls 6, asInvoker) and VERSIONINFO, all from the one
# project version.
enable_language(RC)
# As the about box shows it: 1.63.2485.
set(_minor ${PROJECT_VERSION_MINOR})
set(_patch ${PROJECT_VERSION_PATCH})
string(LENGTH "${_minor}" _len)
if(_len LESS 2)
  set(_minor "0${_minor}")
endif()
string(LENGTH "${_patch}" _len)
if(_len LESS 4)
  math(EXPR _pad "4 - ${_len}")
  string(REPEAT "0" ${_pad} _zeros)
  set(_patch "${_zeros}${_patch}")
endif()
set(TAVO_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.${_minor}.${_patch})

# An uncaught exception ends a shipped program with abort() alone. The default
# handler would first print the exception's demangled type to stderr, which a
# GUI program does not have; it brings the demangler and printf along (70 KB).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TAVO_QUIET_TERMINATE -Wl,--defsym,__ZN9__gnu_cxx27__verbose_terminate_handlerEv=_abort)
else()
  set(TAVO_QUIET_TERMINATE -Wl,--defsym,_ZN9__gnu_cxx27__verbose_terminate_handlerEv=abort)
endif()

function(tavo_add_resources target description)
  set(RES_NAME ${target})
  set(RES_DESCRIPTION "${description}")
  set(RES_ICON ${CMAKE_SOURCE_DIR}/res/tavo.ico)
  set(RES_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${PROJECT_VERSION_PATCH})
  set(RES_VERSION_TEXT ${TAVO_VERSION_TEXT})
  set(RES_MANIFEST ${CMAKE_BINARY_DIR}/generated/${target}.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/res/app.manifest.in ${RES_MANIFEST} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/res/app.rc.in ${CMAKE_BINARY_DIR}/generated/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated/${target}.rc)
  set_property(SOURCE ${CMAKE_BINARY_DIR}/generated/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
               ${RES_MANIFEST} ${RES_ICON})
endfunction()

if(EXISTS ${CMAKE_SOURCE_DIR}/main/tavo_exe_win32.cpp)
  add_executable(Tavo WIN32 main/tavo_exe_win32.cpp)
  target_link_libraries(Tavo PRIVATE tavo_win32)
  target_link_options(Tavo PRIVATE -municode ${TAVO_QUIET_TERMINATE})
  tavo_add_resources(Tavo "Tavo - タイトルバー時計")
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/wavmend/wavmend_exe_win32.cpp)
  add_executable(Wavmend WIN32 wavmend/wavmend_exe_win32.cpp)
  target_link_libraries(Wavmend PRIVATE tavo_win32)
  target_link_options(Wavmend PRIVATE -municode ${TAVO_QUIET_TERMINATE})
  tavo_add_resources(Wavmend "Wavmend - Tavo の音声ファイルパス修正")
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/driver/probe_win32.cpp)
  # Test driver for the end-to-end tests: a console program that makes windows on request.
  add_executable(tavo_probe tests/e2e/driver/probe_win32.cpp)
  target_link_libraries(tavo_probe PRIVATE tavo_win32 ntdll)
  target_link_options(tavo_probe PRIVATE -municode)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/bench/floor_win32.cpp)
  # The CPU yardstick of scripts/measure-cpu; not shipped.
  add_executable(tavo_cpu_floor WIN32 tests/bench/floor_win32.cpp)
  target_link_libraries(tavo_cpu_floor PRIVATE user32)
  target_link_options(tavo_cpu_floor PRIVATE -municode)
endif()

# The release zip of this flavour: build/<flavour>/Tavo-<version>-<flavour>.zip.
if(TARGET Tavo)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
    set(TAVO_FLAVOUR win64)
  else()
    set(TAVO_FLAVOUR win32)
  endif()
  set(TAVO_ZIP ${CMAKE_BINARY_DIR}/Tavo-${PROJECT_VERSION}-${TAVO_FLAVOUR}.zip)
  add_custom_target(package_zip
    COMMAND ${CMAKE_COMMAND} -DZIP=${TAVO_ZIP} -DSTAGE=${CMAKE_BINARY_DIR}/package -DBIN_DIR=$<TARGET_FILE_DIR:Tavo>
            -DHELP_DIR=${CMAKE_SOURCE_DIR}/help/TavoHELP -DREADME=${CMAKE_SOURCE_DIR}/res/readme.txt
            -DVERSION_TEXT=${TAVO_VERSION_TEXT} -DFLAVOUR=${TAVO_FLAVOUR}
            -DSTRIP=${CMAKE_STRIP} -P ${CMAKE_SOURCE_DIR}/cmake/package.cmake
    BYPRODUCTS ${TAVO_ZIP}
    VERBATIM)
  add_dependencies(package_zip Tavo)
  # Wavmend may be declared after this file: look for it once everything is read.
  function(tavo_package_wavmend)
    if(TARGET Wavmend)
      add_dependencies(package_zip Wavmend)
    endif()
  endfunction()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL tavo_package_wavmend)
endif()
