# Included by src/devices/CMakeLists.txt with ${lib} = dravel_devices_version, ${dir} = this folder.

target_link_libraries(${lib} PRIVATE dravel_devices_system)
if(WIN32)
  target_link_libraries(${lib} PRIVATE version)
endif()

# Linux executables carry the version as an ELF note. Its object is put on the link line of every
# executable that links the library (a static library's object would be dropped, as nothing calls
# into it).
if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
  add_library(dravel_version_note OBJECT ${dir}/embedded/VersionNote.cpp)
  target_include_directories(dravel_version_note PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(dravel_version_note PRIVATE DRAVEL_VERSION_STRING="${PROJECT_VERSION}")
  target_link_libraries(${lib} INTERFACE dravel_version_note
                        $<TARGET_OBJECTS:dravel_version_note>)
endif()

set(DRAVEL_VERSION_RC_TEMPLATE ${dir}/version.rc.in CACHE INTERNAL "Windows version resource")

# Writes the Windows version resource of an executable called <name>.exe (the project's version)
# to <rc_file>.
function(dravel_configure_version_resource name rc_file)
  set(DRAVEL_RC_NAME ${name})
  configure_file(${DRAVEL_VERSION_RC_TEMPLATE} ${rc_file} @ONLY)
endfunction()

# Gives a Windows executable target its version resource; elsewhere the note does the same job.
function(dravel_add_version_resource target)
  if(WIN32)
    set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    dravel_configure_version_resource(${target} ${rc_file})
    target_sources(${target} PRIVATE ${rc_file})
  endif()
endfunction()
