# Builds the Debian package from the build tree and checks what it installs,
# its dependencies, that lintian finds neither errors nor warnings in it and
# that appstreamcli accepts its AppStream metadata.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DSOURCE_DIR=... -P CheckPackage.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${out}\n${err}")
endif()
file(GLOB debs "${WORK_DIR}/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one .deb in ${WORK_DIR}, found: ${debs}")
endif()
execute_process(COMMAND dpkg-deb -c ${debs} OUTPUT_VARIABLE contents RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -c failed")
endif()
set(expected
  ./usr/bin/quorvel64
  ./usr/bin/q64
  ./usr/share/applications/quorvel64.desktop
  ./usr/share/icons/hicolor/scalable/apps/quorvel64.svg
  ./usr/share/icons/hicolor/16x16/apps/quorvel64.png
  ./usr/share/icons/hicolor/48x48/apps/quorvel64.png
  ./usr/share/icons/hicolor/256x256/apps/quorvel64.png
  ./usr/share/quorvel64/help.html
  ./usr/share/man/man1/q64.1.gz
  ./usr/share/man/man1/quorvel64.1.gz
  ./usr/share/bash-completion/completions/q64
  ./usr/lib/quorvel64/modules/q64-services.so
  ./usr/share/metainfo/invalid.fenwold.quorvel64.metainfo.xml
  ./usr/share/doc/quorvel64/copyright
  ./usr/share/doc/quorvel64/changelog.gz
  ./usr/share/lintian/overrides/quorvel64)
foreach(path IN LISTS expected)
  string(FIND "${contents}" " ${path}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package lacks ${path}:\n${contents}")
  endif()
endforeach()
execute_process(COMMAND dpkg-deb -f ${debs} Package Depends Recommends OUTPUT_VARIABLE fields)
# The viewer opener, the SQLite driver and the ROM database are recommended, not required.
if(NOT fields MATCHES "Package: quorvel64" OR NOT fields MATCHES "Depends: [^\n]*libqt6widgets6"
   OR fields MATCHES "Depends: [^\n]*xdg-utils"
   OR NOT fields MATCHES "Recommends: [^\n]*libqt6sql6-sqlite[^\n]*xdg-utils[^\n]*mupen64plus-data")
  message(FATAL_ERROR "unexpected control fields:\n${fields}")
endif()

find_program(LINTIAN lintian)
if(LINTIAN)
  execute_process(COMMAND ${LINTIAN} --fail-on error,warning --tag-display-limit 0 ${debs}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "lintian found errors or warnings:\n${out}\n${err}")
  endif()
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net
                          ${SOURCE_DIR}/resources/invalid.fenwold.quorvel64.metainfo.xml
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli does not accept the metadata:\n${out}\n${err}")
  endif()
endif()
message(STATUS "package contents as expected: ${debs}")
