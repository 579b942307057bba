# Read by CPack before it writes an archive: every entry gets the same date,
# whenever and in whatever time zone the build runs, so that a rebuild gives
# the same bytes. A packager's own SOURCE_DATE_EPOCH wins.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} 315532800)  # 1980-01-01, the earliest date a ZIP holds
endif()
set(ENV{TZ} UTC0)  # a ZIP stores local time
