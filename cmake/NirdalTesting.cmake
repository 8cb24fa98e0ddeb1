# SPDX-License-Identifier: MIT
# One-line registration of a test program: nirdal_add_test(NAME SOURCES... [LIBS ...] [QT])
# GoogleTest programs are discovered case by case, so `ctest -R Suite.Case` runs one case.
function(nirdal_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(ARG_QT)
    # Qt tests drive real widgets; they need no display of their own.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
