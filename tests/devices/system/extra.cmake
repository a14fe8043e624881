# Included by tests/CMakeLists.txt with ${dir} = this folder.

# The shell test starts the companion stand-in, which records the arguments it was given.
add_dependencies(system_shell_test kalvor_standin)
target_compile_definitions(system_shell_test PRIVATE
  DRAVEL_KALVOR_STANDIN="$<TARGET_FILE:kalvor_standin>")
