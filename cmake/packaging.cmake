# `cmake --install` and the release archives, from one setup: the program
# and the README, a ZIP for Windows and a tar.gz elsewhere, each named with
# the version and platform.
include(GNUInstallDirs)

if(WIN32)
  # Everything at the top of the ZIP, where a double-click finds it.
  set(program_dir .)
  set(doc_dir .)
  set(CPACK_GENERATOR ZIP)
  set(platform windows)
else()
  set(program_dir ${CMAKE_INSTALL_BINDIR})
  set(doc_dir ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ)
  string(TOLOWER ${CMAKE_SYSTEM_NAME} platform)
endif()
install(TARGETS fire_stats RUNTIME DESTINATION ${program_dir})
install(FILES README.md DESTINATION ${doc_dir})

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_reproducible.cmake)
# Kept apart: including CPack leaves CPACK_PACKAGE_FILE_NAME at the source
# package's name.
set(release_archive ${PROJECT_NAME}-${PROJECT_VERSION}-${platform}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGE_FILE_NAME ${release_archive})
include(CPack)
