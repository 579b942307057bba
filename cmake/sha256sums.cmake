# Run by CPack once the archive is made (CPACK_POST_BUILD_SCRIPTS): writes
# SHA256SUMS into the folder the archive goes to, in the form `sha256sum -c`
# reads, listing the archive and the bare program. The archive is still in
# CPack's staging folder at this point; it is listed by the name it will
# have beside SHA256SUMS.
set(sums "")
foreach(archive IN LISTS CPACK_PACKAGE_FILES)
  file(SHA256 ${archive} hash)
  cmake_path(GET archive FILENAME name)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(SHA256 ${CPACK_FIRE_STATS_PROGRAM} hash)
file(RELATIVE_PATH name ${CPACK_PACKAGE_DIRECTORY} ${CPACK_FIRE_STATS_PROGRAM})
string(APPEND sums "${hash}  ${name}\n")
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sums}")
