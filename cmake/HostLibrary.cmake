# One of the host's shared libraries: every source under the calling folder,
# the folders that hold its headers on the include path of whoever links it
# (headers are included by bare name), and the given libraries linked
# publicly. Each library may use only the ones below it; the include order
# is checked by scripts/check-includes.py.
#
#   add_host_library(NAME LINKS lib...)
set(RCLHOST_LIBRARIES "" CACHE INTERNAL "the host's shared libraries, lowest first")

function(add_host_library name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_library(${name} SHARED ${sources})
  set(folders "")
  foreach(source IN LISTS sources)
    if(source MATCHES "[.]h$")
      get_filename_component(folder ${source} DIRECTORY)
      list(APPEND folders ${folder})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  target_include_directories(${name} PUBLIC ${folders})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  set(RCLHOST_LIBRARIES ${RCLHOST_LIBRARIES} ${name} CACHE INTERNAL "")
endfunction()
