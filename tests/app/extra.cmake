add_test(NAME startup_xvfb
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/app/startup_xvfb.sh $<TARGET_FILE:Dravel>)
set_tests_properties(startup_xvfb PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
