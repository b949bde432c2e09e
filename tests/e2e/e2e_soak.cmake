# The soak, short in CI: corvexsim + corvexsvc -console + corvexcpl under plug/unplug cycles, client requests
# and notification bursts. tools/soak.sh runs it at full length.
corvex_add_test(e2e_soak_tests
  SOURCES e2e_soak_test.cpp e2e_cpl_session.cpp ProcessFootprint.cpp StaticControlCost.cpp
          ${CMAKE_SOURCE_DIR}/tests/cpl/CplProcess.cpp ${CMAKE_SOURCE_DIR}/tests/cpl/CplTestSupport.cpp
  LIBS simulator cpl_lib
  TIMEOUT 180)
set_tests_properties(e2e_soak_tests PROPERTIES RESOURCE_LOCK "corvexsvc_instance;corvexcpl")
add_dependencies(e2e_soak_tests corvexcpl corvexsim corvexsvc)
