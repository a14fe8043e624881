# Output through SDL2's audio devices, decoding through libsndfile.
target_link_libraries(${lib} PUBLIC SDL2::SDL2 PkgConfig::SNDFILE)
target_link_libraries(${lib} PRIVATE dravel_devices_system)
