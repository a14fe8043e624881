# Run at install time (cmake/DravelPackage.cmake): copies beside Dravel.exe every DLL that it and
# Qt's plugins load, transitively, as found in DRAVEL_DLL_DIRS (the dependency cache and the mingw
# runtime; whatever is not found there belongs to Windows itself), then strips every program and
# DLL in the folder. Expects DRAVEL_DLL_DIRS, DRAVEL_DLL_NAMES (a scratch folder) and
# DRAVEL_TRIPLE.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

# Windows finds DLLs whatever the case of their names, and the dependency search looks for them in
# lower case: it searches a folder of lower-case links to them.
file(REMOVE_RECURSE "${DRAVEL_DLL_NAMES}")
file(MAKE_DIRECTORY "${DRAVEL_DLL_NAMES}")
foreach(dir IN LISTS DRAVEL_DLL_DIRS)
  file(GLOB dlls "${dir}/*.dll")
  foreach(dll IN LISTS dlls)
    get_filename_component(name "${dll}" NAME)
    string(TOLOWER "${name}" name)
    if(NOT EXISTS "${DRAVEL_DLL_NAMES}/${name}")  # the first folder wins, as in the search
      file(CREATE_LINK "${dll}" "${DRAVEL_DLL_NAMES}/${name}" SYMBOLIC)
    endif()
  endforeach()
endforeach()

set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${DRAVEL_TRIPLE}-objdump)
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES "${root}/Dravel.exe"
  MODULES "${root}/platforms/qwindows.dll" "${root}/styles/qwindowsvistastyle.dll"
  DIRECTORIES "${DRAVEL_DLL_NAMES}"
  RESOLVED_DEPENDENCIES_VAR links
  UNRESOLVED_DEPENDENCIES_VAR windows_own)
foreach(link IN LISTS links)
  file(REAL_PATH "${link}" dll)  # the DLL under its own name
  file(INSTALL "${dll}" DESTINATION "${root}")
endforeach()

file(GLOB_RECURSE binaries "${root}/*.exe" "${root}/*.dll")
execute_process(COMMAND ${DRAVEL_TRIPLE}-strip --strip-unneeded ${binaries}
                COMMAND_ERROR_IS_FATAL ANY)
