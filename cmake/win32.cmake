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
else()
  add_library(tavo_win32 INTERFACE)
  target_link_libraries(tavo_win32 INTERFACE tavo_core user32 gdi32 comctl32 imm32 winmm shell32 comdlg32 advapi32)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/main/tavo_exe_win32.cpp)
  add_executable(Tavo WIN32 main/tavo_exe_win32.cpp)
  target_link_libraries(Tavo PRIVATE tavo_win32)
  target_link_options(Tavo PRIVATE -municode)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/driver/probe_win32.cpp)
  # Test driver for the end-to-end tests: a console program that makes windows on request.
  add_executable(tavo_probe tests/e2e/driver/probe_win32.cpp)
  target_link_libraries(tavo_probe PRIVATE tavo_win32)
  target_link_options(tavo_probe PRIVATE -municode)
endif()
