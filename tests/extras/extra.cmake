# Included by tests/CMakeLists.txt with ${dir} = this folder.

# The pictures of the Extras windows and the report for the README, made by
# scripts/screenshots-extras.sh.
add_executable(extras_screenshots ${dir}/extras_screenshots.cpp)
target_link_libraries(extras_screenshots PRIVATE dravel_app)
