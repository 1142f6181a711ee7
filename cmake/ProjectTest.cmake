# add_project_test(NAME SOURCES... LIBS...): one GoogleTest executable,
# registered with ctest and run headless on Qt's offscreen platform.
function(add_project_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;TZ=America/Sao_Paulo"
    TIMEOUT 300)
endfunction()
