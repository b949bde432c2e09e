# The service under the control manager against corvexsim.exe, run by tools/scm-session.sh in a Wine prefix
# and session of its own (the service reads CORVEX_DRIVER from the system environment as the session boots),
# so it shares no lock with the other tests. Ten stop/start cycles here; by hand the script makes more.
add_executable(e2e_scm_tests e2e_scm_test.cpp e2e_support.cpp ${CMAKE_SOURCE_DIR}/tests/service/ChildProcess.cpp
  ${CMAKE_SOURCE_DIR}/tests/service/ServiceManagerSupport.cpp)
target_link_libraries(e2e_scm_tests PRIVATE simulator corvex_test_main)
add_dependencies(e2e_scm_tests corvexsim corvexsvc)
add_test(NAME e2e_scm_tests COMMAND ${CMAKE_SOURCE_DIR}/tools/scm-session.sh 10)
set_tests_properties(e2e_scm_tests PROPERTIES TIMEOUT 240 ENVIRONMENT "CORVEX_BUILD_DIR=${CMAKE_BINARY_DIR}")
