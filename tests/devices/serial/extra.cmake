# Included by tests/CMakeLists.txt with ${dir} = this folder.

# The platform line tests once more with pseudo-terminals that have modem lines, so the output
# pins and the ring of Pin 9 are followed to the far end and back. (Under Wine,
# scripts/test-windows.sh preloads the same library.)
if(NOT WIN32 AND TARGET serial_platform_test)
  add_library(pty_modem_lines MODULE ${dir}/pty_modem_lines.c)
  set_target_properties(pty_modem_lines PROPERTIES PREFIX "" LINKER_LANGUAGE C)
  target_link_libraries(pty_modem_lines PRIVATE ${CMAKE_DL_LIBS})
  add_dependencies(serial_platform_test pty_modem_lines)
  set(lines_dir ${CMAKE_CURRENT_BINARY_DIR}/pty-lines)
  file(MAKE_DIRECTORY ${lines_dir})
  add_test(NAME serial_platform_modem_lines COMMAND serial_platform_test)
  set_tests_properties(serial_platform_modem_lines PROPERTIES
    ENVIRONMENT "${DRAVEL_TEST_ENV};LD_PRELOAD=$<TARGET_FILE:pty_modem_lines>;DRAVEL_PTY_LINES_DIR=${lines_dir};ASAN_OPTIONS=verify_asan_link_order=0"
    FAIL_REGULAR_EXPRESSION "SKIPPED" TIMEOUT 120)
endif()
