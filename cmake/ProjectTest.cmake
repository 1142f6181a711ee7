include(GoogleTest)

# add_project_test(NAME SOURCES... LIBS... [LABELS...] [TIMEOUT seconds]): one
# GoogleTest executable whose cases ctest lists and runs one by one (each in a
# process of its own, so a failure names its case), headless on Qt's
# offscreen platform, in a fixed locale and time zone. The cases are listed
# by running the program right after it is built; TIMEOUT (default 300) is
# for each case.
function(add_project_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport ${T_LIBS})
  set(properties TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    list(APPEND properties LABELS ${T_LABELS})
  endif()
  # NO_PRETTY_VALUES: a case is named as GoogleTest names it, not by a dump
  # of its parameter's bytes.
  gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_TIMEOUT 120 PROPERTIES ${properties})
  # The discovery script splits a list value into words, so the environment
  # (a list of three) is set by a script of our own that ctest runs right
  # after it, over the cases it listed.
  set(environment "${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake")
  file(WRITE ${environment}
    "set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT\n"
    "  \"QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;TZ=America/Sao_Paulo\")\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${environment})
endfunction()
