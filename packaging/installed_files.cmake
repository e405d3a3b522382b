# Install step of the Debian package's files that name the installed folders: the launcher
# and the manual page, made from their templates for the prefix being installed to, and the
# compressed manual page and changelog (gzip -9n: no name or time stamp in the file).
set(KEYFALL_SHIPPED_DATE ${CMAKE_INSTALL_PREFIX}/share/keyfall/Date)
set(KEYFALL_PROGRAM ${CMAKE_INSTALL_PREFIX}/lib/keyfall/keyfall)
configure_file(${KEYFALL_SOURCE}/launcher.sh.in ${KEYFALL_OUTPUT}/keyfall @ONLY)
configure_file(${KEYFALL_SOURCE}/keyfall.6.in ${KEYFALL_OUTPUT}/keyfall.6 @ONLY)
foreach(page ${KEYFALL_OUTPUT}/keyfall.6 ${KEYFALL_SOURCE}/changelog)
  get_filename_component(name ${page} NAME)
  execute_process(COMMAND gzip -9n -c ${page} OUTPUT_FILE ${KEYFALL_OUTPUT}/${name}.gz
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${page} failed: ${status}")
  endif()
endforeach()
