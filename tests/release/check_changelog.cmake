# Fails unless the newest release in the changelog (its first "## [x.y.z]"
# heading; "Unreleased" does not count) is the project's version.
#   cmake -DCHANGELOG=... -DVERSION=... -P check_changelog.cmake
file(STRINGS ${CHANGELOG} releases REGEX "^## \\[[0-9]")
list(LENGTH releases count)
if(count EQUAL 0)
  message(FATAL_ERROR "${CHANGELOG} names no release")
endif()
list(GET releases 0 newest)
string(REGEX MATCH "^## \\[([^]]*)\\]" heading "${newest}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "the changelog's newest release is ${CMAKE_MATCH_1}; the project is ${VERSION}")
endif()
message("the changelog's newest release is ${VERSION}")
