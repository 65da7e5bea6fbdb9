# Read by cpack: fills Depends, Recommends and Suggests from dpkg-shlibdeps, one field per group
# of built files (packaging/CMakeLists.txt). dpkg-shlibdeps drops from a weaker field what a
# stronger one already holds, and skips the package's own libraries, found by -l.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(work ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/shlibdeps)
  file(MAKE_DIRECTORY ${work}/debian)
  file(TOUCH ${work}/debian/control)
  set(arguments)
  foreach(field Depends Recommends Suggests)
    string(TOUPPER ${field} upper)
    list(APPEND arguments -d${field} ${CPACK_VANTREL_${upper}_FILES})
  endforeach()
  execute_process(
    COMMAND dpkg-shlibdeps -O -l${CPACK_VANTREL_LIBRARY_DIR} ${arguments}
    WORKING_DIRECTORY ${work}
    RESULT_VARIABLE status OUTPUT_VARIABLE fields ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps failed (${status}):\n${errors}")
  endif()
  foreach(field Depends Recommends Suggests)
    string(TOUPPER ${field} upper)
    if(fields MATCHES "shlibs:${field}=([^\n]*)")
      set(CPACK_DEBIAN_PACKAGE_${upper} "${CMAKE_MATCH_1}")
      if(field STREQUAL "Depends")
        string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CPACK_VANTREL_EXTRA_DEPENDS}")
      endif()
    elseif(field STREQUAL "Depends")
      message(FATAL_ERROR "dpkg-shlibdeps found no dependencies:\n${fields}${errors}")
    endif()
  endforeach()
endif()
