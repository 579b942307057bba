# Stands in for a test whose tools this machine lacks: says what is missing,
# which CTest reports as skipped.
#   cmake -DREASON=... -P skip.cmake
message("skipped: ${REASON}")
