# The test programs of the 32-bit Windows cross build, run on this machine under Wine.
#
# GoogleTest is built from Debian's sources (package googletest) with the same toolchain. Starting a
# program under Wine costs about a second, so each test program is ONE test that runs all its cases
# (no per-case discovery, which would also run every program at build time). Wine works in a
# throw-away prefix inside the build folder, made once by the setup test windows.WinePrefix before
# any program starts, so that the programs never race to create it.

set(YAT_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources built for the cross target")
if(NOT EXISTS ${YAT_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "no GoogleTest sources in ${YAT_GTEST_SOURCE_DIR} (Debian package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "The tests use GoogleTest only" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "Nothing of GoogleTest is installed" FORCE)
add_subdirectory(${YAT_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(FATAL_ERROR "wine not found: the Windows test programs run under it (scripts/install-deps)")
endif()
find_program(YAT_WINEBOOT wineboot REQUIRED)

# Test folders without a Windows program, each with its reason.
set(YAT_TEST_DIRS_NOT_ON_WINDOWS tools sockcomm redfish)
message(STATUS "tests/tools is not built for Windows: yatctl and its libraries (CLI11, prometheus-cpp) "
               "and the python end-to-end cases are Linux only")

set(YAT_WINE_ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=win32 WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml=")
add_test(NAME windows.WinePrefix COMMAND ${YAT_WINEBOOT} -i)
set_tests_properties(windows.WinePrefix PROPERTIES ENVIRONMENT "${YAT_WINE_ENVIRONMENT}"
                     FIXTURES_SETUP wine_prefix TIMEOUT 300)

# Registers test program (an executable target) as the test name, run under Wine with args.
function(yat_add_windows_test name program)
  add_test(NAME ${name} COMMAND ${program} ${ARGN})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${YAT_WINE_ENVIRONMENT};YAT_SLEEP_SCALE=0.001"
                       FIXTURES_REQUIRED wine_prefix TIMEOUT 600)
endfunction()
