# Included by tests/CMakeLists.txt with ${dir} = this folder.

# A stand-in for the companion alarm program that records its arguments; the
# alarm simulation tests start it through the real shell.
add_executable(funkttest_kalvor_standin ${dir}/kalvor_standin.cpp)
add_dependencies(tst_funkttest funkttest_kalvor_standin)
target_compile_definitions(tst_funkttest PRIVATE
  DRAVEL_KALVOR_STANDIN="$<TARGET_FILE:funkttest_kalvor_standin>")
