# Tests of a cross build: GoogleTest is built from Debian's sources with the cross compiler,
# and each test program runs whole, once, under the emulator (Wine) in a prefix of its own.

set(KEYFALL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${KEYFALL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Wine keeps its configuration in the build folder, set up once before the first test; its
# first start takes a while. No .NET, no browser engine and no sound driver: tests need none.
set(KEYFALL_WINE_ENVIRONMENT
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml,winealsa.drv,winepulse.drv=")
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME wine_prefix COMMAND ${PROJECT_SOURCE_DIR}/tests/windows/wine-prefix.sh)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix
                       ENVIRONMENT "${KEYFALL_WINE_ENVIRONMENT}" TIMEOUT 300)
endif()

# Registers a test program of the cross build as one test.
function(keyfall_cross_test target)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "${KEYFALL_WINE_ENVIRONMENT}"
                       FIXTURES_REQUIRED wine_prefix TIMEOUT 600)
endfunction()
