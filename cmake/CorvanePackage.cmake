# The release package (Windows build): cmake --build --preset windows --target package writes
# build/windows/Corvane-<version>-win64.zip with corvane.exe, corvane-find.exe, the README and
# the license. <version> is the FileVersion of the version resource, read from res/corvane.rc.
if(NOT WIN32)
  return()
endif()

file(STRINGS ${PROJECT_SOURCE_DIR}/res/corvane.rc version_line REGEX "VALUE \"FileVersion\"")
string(REGEX MATCH "\"([0-9]+(\\.[0-9]+)*)\"" version_match "${version_line}")
if(NOT CMAKE_MATCH_1)
  message(FATAL_ERROR "res/corvane.rc has no FileVersion value")
endif()
set(CORVANE_FILE_VERSION ${CMAKE_MATCH_1})

install(TARGETS corvane corvane-find RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Corvane)
set(CPACK_PACKAGE_VENDOR "Tamberlo Software")
set(CPACK_PACKAGE_VERSION ${CORVANE_FILE_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Corvane-${CORVANE_FILE_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
