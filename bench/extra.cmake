# Whole-process start-up timing (run with hyperfine, see bench/startup.sh).
add_executable(startup_dravel ${CMAKE_CURRENT_SOURCE_DIR}/startup_dravel.cpp)
target_link_libraries(startup_dravel PRIVATE dravel_app)
add_executable(startup_empty ${CMAKE_CURRENT_SOURCE_DIR}/startup_empty.cpp)
target_link_libraries(startup_empty PRIVATE Qt6::Widgets)
target_include_directories(startup_empty PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_include_directories(startup_dravel PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
