# copy_beside_binaries(TARGET FOLDER PATTERN...): the files of the current
# source folder that match the patterns (searched in its sub-folders too) are
# copied to bin/FOLDER, where the host looks for them, keeping their
# sub-folders, whenever one changes. TARGET is built with everything.
function(copy_beside_binaries target folder)
  list(TRANSFORM ARGN PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE patterns)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${patterns})
  set(output_dir ${CMAKE_BINARY_DIR}/bin/${folder})
  set(copied)
  foreach(name ${files})
    get_filename_component(subfolder ${output_dir}/${name} DIRECTORY)
    add_custom_command(OUTPUT ${output_dir}/${name}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${subfolder}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/${name} ${output_dir}/${name}
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}
      COMMENT "Copiando ${folder}/${name}"
      VERBATIM)
    list(APPEND copied ${output_dir}/${name})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${copied})
endfunction()
