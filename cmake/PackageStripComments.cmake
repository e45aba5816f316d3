# Run by CPack on the staged files before it builds the package: removes the
# compiler's .comment section from every ELF file, as Debian's dh_strip does,
# after the strip step has removed the symbols.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND "${CPACK_VQ_STRIP}" --remove-section=.comment --remove-section=.note "${file}"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "could not strip the comment sections of ${file}")
    endif()
  endif()
endforeach()
