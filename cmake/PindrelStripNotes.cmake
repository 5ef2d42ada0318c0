# Runs inside CPack, after the staged install and its strip: also removes the
# compiler's .comment and the bare .note section, as Debian's own packaging
# tools do, so that nothing but code and the build id ships.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
    execute_process(COMMAND ${CPACK_STRIP_PROGRAM} --remove-section=.comment --remove-section=.note ${program}
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
