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

# What the Windows program loads from beside itself, made from the Debian packages of the build
# machine (platform-independent files): "MS Sans Serif" of fonts-wine (LGPL, with its copyright and
# licence) in fonts/, its bitmaps turned into outlines that Windows can use (cmake/outline_font.py,
# python3-fonttools), and Qt's German texts of qt6-translations-l10n in translations/.
set(DRAVEL_WINE_FONTS_DIR /usr/share/wine/fonts CACHE PATH "fonts-wine's font folder")
set(DRAVEL_QT_TRANSLATIONS_DIR /usr/share/qt6/translations CACHE PATH "Qt's translations")
set(DRAVEL_DEBIAN_PYTHON /usr/bin/python3 CACHE FILEPATH "Debian's Python, with python3-fonttools")
function(dravel_copy_windows_extras dir)
  set(files
    "${DRAVEL_WINE_FONTS_DIR}/ms_sans_serif.ttf" ""
    "/usr/share/doc/fonts-wine/copyright" "fonts/fonts-wine-copyright.txt"
    "/usr/share/common-licenses/LGPL-2.1" "fonts/LGPL-2.1.txt"
    "${DRAVEL_QT_TRANSLATIONS_DIR}/qtbase_de.qm" "translations/qtbase_de.qm")
  while(files)
    list(POP_FRONT files from to)
    if(NOT EXISTS "${from}")
      message(FATAL_ERROR "${from} is missing: scripts/build-windows.sh installs fonts-wine and "
                          "qt6-translations-l10n")
    endif()
    if(to)
      configure_file("${from}" "${dir}/${to}" COPYONLY)
    endif()
  endwhile()
  set(font "${dir}/fonts/ms_sans_serif.ttf")
  set(converter "${PROJECT_SOURCE_DIR}/cmake/outline_font.py")
  if(NOT EXISTS "${font}" OR "${converter}" IS_NEWER_THAN "${font}")
    execute_process(
      COMMAND "${DRAVEL_DEBIAN_PYTHON}" "${converter}"
              "${DRAVEL_WINE_FONTS_DIR}/ms_sans_serif.ttf" "${font}"
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "could not make ${font} (python3-fonttools installed?)")
    endif()
  endif()
endfunction()
