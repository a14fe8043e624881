# After cpack: the zip goes to dist/, where the README and scripts/test-windows.sh look for it.
file(COPY ${CPACK_PACKAGE_FILES} DESTINATION ${CPACK_DRAVEL_DIST_DIR})
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${package}" NAME)
  message(STATUS "Packed ${CPACK_DRAVEL_DIST_DIR}/${name}")
endforeach()
