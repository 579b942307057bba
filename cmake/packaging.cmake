# `cmake --install` and the release archives, from one setup: the program
# and its documents, a ZIP for Windows and a tar.gz elsewhere, each
# named with the version and platform, holding one folder of that name, with
# SHA256SUMS beside it.
include(GNUInstallDirs)

# windows_text(SOURCE DESTINATION [BOM]): SOURCE as a Windows text file:
# CRLF line breaks and, with BOM, a UTF-8 byte-order mark, which Notepad
# needs to show Greek in every release of Windows 10.
function(windows_text source destination)
  file(READ ${source} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  set(bom "")
  if(ARGN STREQUAL "BOM")
    string(ASCII 239 187 191 bom)
  endif()
  file(WRITE ${destination} "${bom}${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

if(WIN32)
  # The program beside documents that a double-click opens, in the one
  # folder: the guide for the person who runs it, in Greek then English, and
  # the license. The README is for developers and stays out.
  set(program_dir .)
  set(doc_dir .)
  set(CPACK_GENERATOR ZIP)
  set(archive_suffix .zip)
  set(platform windows)
  set(docs_dir ${PROJECT_BINARY_DIR}/windows-docs)
  windows_text(${PROJECT_SOURCE_DIR}/ODIGIES.txt ${docs_dir}/ODIGIES.txt BOM)
  windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${docs_dir}/LICENSE.txt)
  set(docs ${docs_dir}/ODIGIES.txt ${docs_dir}/LICENSE.txt)
  set(release_contents fire_stats.exe ODIGIES.txt LICENSE.txt)
else()
  set(program_dir ${CMAKE_INSTALL_BINDIR})
  set(doc_dir ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ)
  set(archive_suffix .tar.gz)
  string(TOLOWER ${CMAKE_SYSTEM_NAME} platform)
  set(docs README.md LICENSE)
  set(release_contents ${CMAKE_INSTALL_BINDIR}/fire_stats ${CMAKE_INSTALL_DOCDIR}/README.md
                       ${CMAKE_INSTALL_DOCDIR}/LICENSE)
endif()
install(TARGETS fire_stats RUNTIME DESTINATION ${program_dir})
install(FILES ${docs} DESTINATION ${doc_dir})

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_reproducible.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sha256sums.cmake)
# Where the presets' single-configuration generator (Ninja) leaves it.
set(CPACK_FIRE_STATS_PROGRAM ${PROJECT_BINARY_DIR}/fire_stats${CMAKE_EXECUTABLE_SUFFIX})
# Kept apart: including CPack leaves CPACK_PACKAGE_FILE_NAME at the source
# package's name.
# Windows calls x86_64 "AMD64", and so does a native build there; the
# archive has one name wherever it is built.
set(processor ${CMAKE_SYSTEM_PROCESSOR})
if(processor MATCHES "^(AMD64|amd64|x64)$")
  set(processor x86_64)
endif()
set(release_archive ${PROJECT_NAME}-${PROJECT_VERSION}-${platform}-${processor})
set(CPACK_PACKAGE_FILE_NAME ${release_archive})
set(release_archive_file ${release_archive}${archive_suffix})
include(CPack)
