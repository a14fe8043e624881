# Included by tests/CMakeLists.txt with ${dir} = this folder.

file(GLOB version_tests ${dir}/*_test.cpp)
foreach(src IN LISTS version_tests)
  get_filename_component(name ${src} NAME_WE)
  target_compile_definitions(${name} PRIVATE
    DRAVEL_VERSION_FIXTURES="${dir}/fixtures" DRAVEL_EXPECTED_VERSION="${PROJECT_VERSION}")
endforeach()

# On Windows the test program carries the version resource, as Dravel.exe does, so that asking
# for the running program's version is tested there too.
dravel_add_version_resource(version_text_test)

# The Windows resource template, built into a small Windows executable and read back, so that a
# broken template shows here and not first on Windows.
find_program(DRAVEL_MINGW_WINDRES x86_64-w64-mingw32-windres)
find_program(DRAVEL_MINGW_AS x86_64-w64-mingw32-as)
find_program(DRAVEL_MINGW_LD x86_64-w64-mingw32-ld)
find_program(DRAVEL_CPP cpp)
if(DRAVEL_MINGW_WINDRES AND DRAVEL_MINGW_AS AND DRAVEL_MINGW_LD AND DRAVEL_CPP)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/version_template)
  dravel_configure_version_resource(Dravel ${work}/Dravel_version.rc)
  add_custom_command(OUTPUT ${work}/Dravel.exe
    COMMAND ${DRAVEL_MINGW_WINDRES} --preprocessor=${DRAVEL_CPP} -i Dravel_version.rc -o res.o
    COMMAND ${DRAVEL_MINGW_AS} -o stub.o ${dir}/fixtures/pe_stub.s
    COMMAND ${DRAVEL_MINGW_LD} -s --subsystem console -e start -o Dravel.exe stub.o res.o
    DEPENDS ${work}/Dravel_version.rc ${dir}/fixtures/pe_stub.s
    WORKING_DIRECTORY ${work}
    COMMENT "Building a Windows executable with the version resource")
  add_custom_target(version_template_pe DEPENDS ${work}/Dravel.exe)
  add_dependencies(version_text_test version_template_pe)
  target_compile_definitions(version_text_test PRIVATE DRAVEL_TEMPLATE_PE="${work}/Dravel.exe")
endif()

# The real program carries the version note.
if(TARGET Dravel AND CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
  add_test(NAME version_dravel_executable
           COMMAND version_text_test --gtest_filter=DravelExecutable.*)
  set_tests_properties(version_dravel_executable PROPERTIES
    ENVIRONMENT "DRAVEL_EXECUTABLE=$<TARGET_FILE:Dravel>"
    FAIL_REGULAR_EXPRESSION "SKIPPED")
  find_program(DRAVEL_READELF readelf)
  if(DRAVEL_READELF)
    add_test(NAME version_dravel_readelf COMMAND ${DRAVEL_READELF} -n $<TARGET_FILE:Dravel>)
    set_tests_properties(version_dravel_readelf PROPERTIES
      PASS_REGULAR_EXPRESSION "Dravel +0x00000010")
  endif()
endif()
