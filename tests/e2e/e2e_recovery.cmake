# Recovery figures: the simulator and the service killed and restarted, the driver absent at start. One round
# in CI; tools/recovery.sh runs more.
corvex_add_test(e2e_recovery_tests
  SOURCES e2e_recovery_test.cpp e2e_cpl_session.cpp ${CMAKE_SOURCE_DIR}/tests/cpl/CplProcess.cpp
          ${CMAKE_SOURCE_DIR}/tests/cpl/CplTestSupport.cpp
  LIBS simulator cpl_lib
  TIMEOUT 180)
set_tests_properties(e2e_recovery_tests PROPERTIES RESOURCE_LOCK "corvexsvc_instance;corvexcpl")
add_dependencies(e2e_recovery_tests corvexcpl corvexsim corvexsvc)
