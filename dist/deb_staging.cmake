# Runs inside cpack on the staged files, before the .deb is made: Debian
# wants the manual pages and its changelog compressed, with no time stamps.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
# The paths compiled into the programs are the ones the package installs, so
# a build for another layout must not be packaged.
if(NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr" OR NOT CPACK_CHOMPO_BINDIR STREQUAL "games")
  message(FATAL_ERROR "A Debian package needs a build configured with -DCMAKE_INSTALL_PREFIX=/usr "
                      "-DCMAKE_INSTALL_BINDIR=games (scripts/package.sh does it)")
endif()
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
file(COPY "${CPACK_CHOMPO_CHANGELOG}" DESTINATION "${root}/${CPACK_CHOMPO_DOCDIR}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(GLOB pages "${root}/${CPACK_CHOMPO_MANDIR}/man6/*.6")
foreach(file IN LISTS pages ITEMS "${root}/${CPACK_CHOMPO_DOCDIR}/changelog.Debian")
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip -9nf ${file} failed")
  endif()
endforeach()
