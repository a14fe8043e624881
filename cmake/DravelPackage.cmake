# The Windows zip (cpack --preset win64 → dist/Dravel-<version>-win64.zip). A unit unpacks it into
# Kalvor's folder, so every file lies at the zip's root: Dravel.exe beside Kalvor.exe, the DLLs it
# needs, Qt's two plugins, the stand-in font, Qt's German texts, both wiring diagrams and LIESMICH.txt.

# Install rules of Dravel.exe and everything the zip carries beside it (called in src/app).
function(dravel_install_windows_program)
  set(triple x86_64-w64-mingw32)
  install(TARGETS Dravel RUNTIME DESTINATION .)
  set(plugins ${DRAVEL_WIN_DEPS}/plugins)
  install(FILES ${plugins}/platforms/qwindows.dll DESTINATION platforms)
  install(FILES ${plugins}/styles/qwindowsvistastyle.dll DESTINATION styles)
  # Qt 6 prints to Windows printers from Qt6PrintSupport.dll itself: no plugin to add.
  install(DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fonts ${CMAKE_CURRENT_BINARY_DIR}/translations
          DESTINATION .)
  # The "Schaltplan" menu opens them from Dravel's folder.
  install(FILES "${PROJECT_SOURCE_DIR}/hardware/schaltplan (low).pdf"
                "${PROJECT_SOURCE_DIR}/hardware/schaltplan.pdf" DESTINATION .)
  dravel_windows_readme(${CMAKE_CURRENT_BINARY_DIR}/LIESMICH.txt)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LIESMICH.txt DESTINATION .)

  # The DLLs Dravel.exe and the plugins load, from the dependency cache and the mingw runtime;
  # every binary stripped.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                  OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(gcc_dir "${libgcc}" DIRECTORY)
  install(CODE "
    set(DRAVEL_DLL_DIRS [[${DRAVEL_WIN_DEPS}/bin;${gcc_dir};/usr/${triple}/lib]])
    set(DRAVEL_DLL_NAMES [[${CMAKE_CURRENT_BINARY_DIR}/dll-names]])
    set(DRAVEL_TRIPLE ${triple})
    include([[${PROJECT_SOURCE_DIR}/cmake/install_windows_dlls.cmake]])")
endfunction()

# LIESMICH.txt as Windows' editor shows it: the version filled in, CR LF, Windows-1252.
function(dravel_windows_readme out)
  set(VERSION ${PROJECT_VERSION})
  configure_file(${PROJECT_SOURCE_DIR}/scripts/windows/LIESMICH.txt ${out}.utf8 @ONLY
                 NEWLINE_STYLE CRLF)
  execute_process(COMMAND iconv -f UTF-8 -t WINDOWS-1252 ${out}.utf8 OUTPUT_FILE ${out}
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# cpack packs what the build made: it does not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_DRAVEL_DIST_DIR ${PROJECT_SOURCE_DIR}/dist)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/copy_package_to_dist.cmake)
include(CPack)
