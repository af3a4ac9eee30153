# Run by cpack on the files it is about to pack, laid out under the package's prefix.
set(staging "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")

# The programs without symbols, debugging sections or the compilers' notes, stripped as Debian
# strips its own; the version block is an allocated section of its own, which stripping keeps.
file(GLOB programs "${staging}/${CPACK_SKYFENCE_BIN_DIR}/*")
foreach(program IN LISTS programs)
    execute_process(
        COMMAND "${CPACK_SKYFENCE_STRIP}" --remove-section=.comment --remove-section=.note
                "${program}"
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# The changelog, its entry signed by the maintainer, compressed as Debian wants it (gzip -9n: no
# name or time stored).
set(changelog_file "${staging}/${CPACK_SKYFENCE_DOC_DIR}/changelog")
file(READ "${CPACK_SKYFENCE_CHANGELOG}" changelog)
string(CONFIGURE "${changelog}" changelog @ONLY)
file(WRITE "${changelog_file}" "${changelog}")
execute_process(COMMAND gzip -9nf "${changelog_file}" COMMAND_ERROR_IS_FATAL ANY)
