# The event thread needs the platform's threads; the port list on Windows
# reads the registry.
find_package(Threads REQUIRED)
target_link_libraries(${lib} PUBLIC Threads::Threads)
if(WIN32)
  target_link_libraries(${lib} PUBLIC advapi32)
endif()
target_link_libraries(${lib} PRIVATE dravel_devices_system)
