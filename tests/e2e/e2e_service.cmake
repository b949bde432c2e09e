# The service end to end: corvexsim.exe + corvexsvc.exe -console + a client in the test, over a pipe of its
# own. Every run of corvexsvc shares one single-instance mutex, and the control panel's end-to-end test runs
# one too, hence the locks.
corvex_add_test(e2e_service_tests
  SOURCES e2e_service_test.cpp e2e_support.cpp ${CMAKE_SOURCE_DIR}/tests/service/ChildProcess.cpp
  LIBS simulator unit_snapshot
  TIMEOUT 120)
set_tests_properties(e2e_service_tests PROPERTIES RESOURCE_LOCK "corvexsvc_instance;corvexcpl")
add_dependencies(e2e_service_tests corvexsim corvexsvc)
