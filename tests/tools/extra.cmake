# Included by tests/CMakeLists.txt with ${dir} = this folder.

# The alarm simulation tests start the companion stand-in through the real shell.
add_dependencies(tst_funkttest kalvor_standin)
target_compile_definitions(tst_funkttest PRIVATE
  DRAVEL_KALVOR_STANDIN="$<TARGET_FILE:kalvor_standin>")

# The version window test reads the version fixtures of the device tests.
target_compile_definitions(tst_infofenster PRIVATE
  DRAVEL_VERSION_FIXTURES="${PROJECT_SOURCE_DIR}/tests/devices/version/fixtures")
