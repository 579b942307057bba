# Stands in for a test whose tools this machine lacks, and says what is
# missing: CTest reports the test skipped. Under CI (the CI variable set, as
# CI services set it) it fails instead, so that a tool that failed to
# install cannot leave a run green without its tests.
#   cmake -DREASON=... -P skip.cmake
if(NOT "$ENV{CI}" STREQUAL "")
  message(FATAL_ERROR "missing under CI: ${REASON}")
endif()
message("skipped: ${REASON}")
