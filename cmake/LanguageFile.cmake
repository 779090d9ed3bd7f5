# The language file travels with the program: one copy at the top of the build tree, one next
# to every program that asks for it, and one installed with the program.
set(KELL_LANGUAGE_FILE ${PROJECT_SOURCE_DIR}/data/idiomas.ini CACHE INTERNAL "")
configure_file(${KELL_LANGUAGE_FILE} ${PROJECT_BINARY_DIR}/idiomas.ini COPYONLY)
install(FILES ${KELL_LANGUAGE_FILE} DESTINATION share/kell-updater)

# kell_copy_language_file(target): puts idiomas.ini beside the target's binary after each build.
function(kell_copy_language_file target)
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KELL_LANGUAGE_FILE}
                             $<TARGET_FILE_DIR:${target}>/idiomas.ini
                     VERBATIM)
endfunction()
