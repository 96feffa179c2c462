# SPDX-License-Identifier: MIT
# CPack pre-build script: in the Debian package, face.txt becomes the conffile
# /etc/tesserin/face.txt and the program's folder gets a link to it.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(root ${CPACK_TEMPORARY_DIRECTORY})
set(beside ${root}${CPACK_PACKAGING_INSTALL_PREFIX}/lib/tesserin/face.txt)
if(EXISTS ${beside} AND NOT IS_SYMLINK ${beside})
  file(MAKE_DIRECTORY ${root}/etc/tesserin)
  file(RENAME ${beside} ${root}/etc/tesserin/face.txt)
  file(CREATE_LINK /etc/tesserin/face.txt ${beside} SYMBOLIC)
endif()
