# SPDX-License-Identifier: MIT
# CPack pre-build script: the packaged program also loses the compiler's .comment section, as
# with dh_strip; CPack's own strip keeps it.
if(NOT CPACK_GENERATOR STREQUAL "DEB" OR NOT CPACK_TESSERIN_STRIP)
  return()
endif()
set(program ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/lib/tesserin/tesserin)
execute_process(COMMAND ${CPACK_TESSERIN_STRIP} --remove-section=.comment --remove-section=.note
                        ${program} COMMAND_ERROR_IS_FATAL ANY)
