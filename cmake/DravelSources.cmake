# Every folder lists its own sources in its CMakeLists.txt. Platform-specific
# sources carry a suffix and are listed under if(WIN32) / else():
# *_win32.cpp on Windows, *_posix.cpp and *_linux.cpp elsewhere.

# A Qt Widgets library of one folder: its forms (.ui) and resources (.qrc)
# are compiled by Qt's generators.
function(dravel_add_widgets_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} Qt6::Widgets)
endfunction()
