# Registers a GoogleTest executable with CTest.
#
# Natively every test is discovered. In the Windows build discovery would have to start
# Wine at configure or listing time, so each named suite becomes one CTest entry (run
# under the sandboxed Wine wrapper) and a last entry runs whatever the names miss, so a
# suite left out of the list still runs.
function(keldra_add_gtest target)
  cmake_parse_arguments(ARG "" "" "SUITES" ${ARGN})
  if(NOT CMAKE_CROSSCOMPILING)
    include(GoogleTest)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST)
    return()
  endif()
  set(filters "")
  foreach(suite IN LISTS ARG_SUITES)
    # Value-parameterised suites carry a prefix: "Backends/RegistryContract.Name/sim".
    add_test(NAME ${target}.${suite}
             COMMAND ${target} --gtest_filter=${suite}.*:*/${suite}.*)
    list(APPEND filters "${suite}.*:*/${suite}.*")
  endforeach()
  list(JOIN filters ":" joined)
  add_test(NAME ${target}.others COMMAND ${target} --gtest_filter=-${joined})
endfunction()
