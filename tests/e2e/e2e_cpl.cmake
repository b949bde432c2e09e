# The control panel end to end: corvexsim.exe + corvexsvc.exe -console + corvexcpl.exe.
corvex_add_test(e2e_cpl_tests
  SOURCES e2e_cpl_test.cpp e2e_cpl_session.cpp ${CMAKE_SOURCE_DIR}/tests/cpl/CplProcess.cpp
          ${CMAKE_SOURCE_DIR}/tests/cpl/CplTestSupport.cpp
  LIBS simulator cpl_lib
  TIMEOUT 120)
set_tests_properties(e2e_cpl_tests PROPERTIES RESOURCE_LOCK "corvexsvc_instance;corvexcpl")
add_dependencies(e2e_cpl_tests corvexcpl corvexsim corvexsvc)

# A mixer window of the running control panel, opened from its device page.
corvex_add_test(e2e_mixer_tests
  SOURCES e2e_mixer_test.cpp e2e_cpl_session.cpp ${CMAKE_SOURCE_DIR}/tests/cpl/CplProcess.cpp
          ${CMAKE_SOURCE_DIR}/tests/cpl/CplTestSupport.cpp
  LIBS simulator cpl_lib
  TIMEOUT 120)
set_tests_properties(e2e_mixer_tests PROPERTIES RESOURCE_LOCK "corvexsvc_instance;corvexcpl")
add_dependencies(e2e_mixer_tests corvexcpl corvexsim corvexsvc)

# Opens a mixer of the running control panel for the demo (tools/demo.sh), as a user would.
add_executable(corvex_open_mixer OpenMixerMain.cpp e2e_cpl_session.cpp ${CMAKE_SOURCE_DIR}/tests/cpl/CplProcess.cpp
               ${CMAKE_SOURCE_DIR}/tests/cpl/CplTestSupport.cpp)
target_link_libraries(corvex_open_mixer PRIVATE simulator cpl_lib)
