# add_report_module(NAME SOURCES file... [REPORTS folder] [HELP folder] [TEST])
#
# One module of the host: a shared library NAME.so, with no "lib" prefix,
# that exports IniProc (and whatever its version script publishes), and the
# files it brings along.
#  - SOURCES: its units, resources and definitions; a .map among them is its
#    version script (the names the library exports; everything else stays
#    hidden).
#  - REPORTS: a folder, relative to the calling CMakeLists.txt, of report
#    definitions and, under database/<kind>/, the scripts that create the
#    tables they read. Every file in it, kept in its sub-folders (but hidden
#    files and backups ending in ~).
#  - HELP: a folder of help pages (<help file>/<context>.html) and the
#    images they show. Every file in it, kept in its sub-folders.
#
# The host reads one reports folder and one help folder, so every module's
# files are merged into those: in the build tree bin/reports and bin/help
# beside the host, with the library in bin/modules; installed
# share/rclhost/reports, share/rclhost/help and lib/rclhost/modules (the
# layout is in InstallLayout.cmake). Two modules bringing a file of the same
# name into the same folder stop the configuration, rather than one silently
# replacing the other's.
#
# TEST: a module of the tests. It is built beside the calling folder's
# binaries, not in bin/modules, so the host in the build tree does not load it,
# and it is installed only on request (`cmake --install BUILD --component
# NAME`), never into the package.
include_guard(GLOBAL)

# Every module the package holds; the host depends on it, so building the
# host builds the modules, their reports and their help.
add_custom_target(report_modules)

# _merge_module_files(MODULE TARGET FROM_FOLDER INTO_FOLDER COMPONENT
# EXCLUDE_FROM_ALL): the files of FROM_FOLDER are claimed for MODULE under
# INTO_FOLDER ("reports" or "help"), copied into bin/INTO_FOLDER when TARGET
# is built (unless a test module's) and installed into the data folder.
function(_merge_module_files module target from into test)
  get_filename_component(from ${from} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT IS_DIRECTORY ${from})
    message(FATAL_ERROR "O módulo ${module} indica a pasta ${from}, que não existe.")
  endif()
  file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${from} ${from}/*)
  # An editor's leftovers (.name.swp, name~) are not the module's.
  list(FILTER files EXCLUDE REGEX "(^|/)\\.|~$")
  list(SORT files)
  set(copied)
  foreach(name ${files})
    # One owner for each name in the merged folder.
    get_property(owner GLOBAL PROPERTY RCLHOST_MERGED_${into}/${name})
    if(owner AND NOT owner STREQUAL module)
      message(FATAL_ERROR "Os módulos ${owner} e ${module} trazem o mesmo arquivo ${into}/${name}: "
                          "cada arquivo das pastas ${into} é de um módulo só.")
    endif()
    set_property(GLOBAL PROPERTY RCLHOST_MERGED_${into}/${name} ${module})
    if(NOT test)
      set(copy ${CMAKE_BINARY_DIR}/bin/${into}/${name})
      get_filename_component(subfolder ${copy} DIRECTORY)
      add_custom_command(OUTPUT ${copy}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${subfolder}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${from}/${name} ${copy}
        DEPENDS ${from}/${name}
        COMMENT "Copiando ${into}/${name} do módulo ${module}"
        VERBATIM)
      list(APPEND copied ${copy})
    endif()
  endforeach()
  if(NOT test)
    add_custom_target(${target} ALL DEPENDS ${copied})
    add_dependencies(report_modules ${target})
  endif()
  set(exclude)
  if(test)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  install(DIRECTORY ${from}/ DESTINATION ${RCLHOST_DATA_DIR}/${into} COMPONENT ${module} ${exclude}
    PATTERN ".*" EXCLUDE PATTERN "*~" EXCLUDE)
endfunction()

function(add_report_module name)
  cmake_parse_arguments(M "TEST" "REPORTS;HELP" "SOURCES" ${ARGN})
  if(M_UNPARSED_ARGUMENTS OR NOT M_SOURCES)
    message(FATAL_ERROR "add_report_module(${name} SOURCES ... [REPORTS pasta] [HELP pasta] [TEST]): "
                        "${M_UNPARSED_ARGUMENTS}")
  endif()
  add_library(${name} SHARED ${M_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC components framework)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN/..")
  if(NOT M_TEST)
    set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/modules)
    add_dependencies(report_modules ${name})
  else()
    set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()

  set(maps ${M_SOURCES})
  list(FILTER maps INCLUDE REGEX "\\.map$")
  list(LENGTH maps count)
  if(count GREATER 1)
    message(FATAL_ERROR "O módulo ${name} tem mais de um script de versão: ${maps}")
  elseif(count EQUAL 1)
    get_filename_component(map ${maps} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_options(${name} PRIVATE -Wl,--version-script=${map})
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()

  if(M_REPORTS)
    _merge_module_files(${name} ${name}_reports ${M_REPORTS} reports "${M_TEST}")
  endif()
  if(M_HELP)
    _merge_module_files(${name} ${name}_help ${M_HELP} help "${M_TEST}")
  endif()
  set(exclude)
  if(M_TEST)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  install(TARGETS ${name} LIBRARY DESTINATION ${RCLHOST_MODULES_DIR} COMPONENT ${name} ${exclude})
endfunction()
