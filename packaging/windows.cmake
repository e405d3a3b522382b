# keyfall.exe as a zip and as an NSIS installer: keyfall.exe with Date\ beside it, as the
# game expects under its working folder, and the licence texts of what keyfall.exe holds.

install(TARGETS keyfall RUNTIME DESTINATION .)
install(FILES ${shipped_data} DESTINATION Date)
install(FILES ${shipped_images} DESTINATION Date/Image)

# keyfall.exe is linked statically: the MinGW-w64 runtime, winpthreads and GCC's runtime
# libraries are in it, and their licences travel with it. Debian's copyright files of the
# cross toolchain hold them.
install(FILES copyright DESTINATION Licences RENAME Keyfall.txt)
foreach(licence "mingw-w64-common:MinGW-w64 runtime and winpthreads"
                "gcc-mingw-w64-base:GCC runtime libraries")
  string(REPLACE ":" ";" licence "${licence}")
  list(GET licence 0 package)
  list(GET licence 1 title)
  if(EXISTS /usr/share/doc/${package}/copyright)
    install(FILES /usr/share/doc/${package}/copyright DESTINATION Licences RENAME "${title}.txt")
  else()
    message(WARNING "/usr/share/doc/${package}/copyright is missing: the packages of "
                    "keyfall.exe would lack the licence of the ${title}")
  endif()
endforeach()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_FILE_NAME keyfall-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Keyfall)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/Date/Icon.ico)
set(CPACK_NSIS_URL_INFO_ABOUT "${KEYFALL_HOMEPAGE}")
# The installer's own script, and its file name (the zip keeps the plain one).
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/windows)
configure_file(windows/generator_options.cmake.in generator_options.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/generator_options.cmake)
