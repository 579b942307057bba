#!/usr/bin/env bash
# Writes on standard output what a release was built with, in the manner of
# Debian's .buildinfo: the exact version of every Debian package that holds
# a tool or library that went into the archives (the compilers and their C
# and C++ libraries, binutils, CMake with the libraries that CPack writes
# archives with, Ninja, fakeroot), and the archives' checksums. A rebuild
# that gives other bytes can be compared with it.
#   tools/buildinfo.sh VERSION COMMIT DIST_DIR
set -euo pipefail
version=$1 commit=$2 dist=$3

# The files themselves, as the tools in PATH find them.
used_files() {
  local cxx tool
  for cxx in g++ x86_64-w64-mingw32-g++-posix; do
    readlink -f "$(command -v "$cxx")"
    "$cxx" -print-prog-name=cc1plus
    "$cxx" -print-libgcc-file-name
    "$cxx" -print-file-name=libstdc++.a
  done
  g++ -print-file-name=libc.a
  x86_64-w64-mingw32-g++-posix -print-file-name=libmsvcrt.a
  for tool in as ld x86_64-w64-mingw32-as x86_64-w64-mingw32-ld x86_64-w64-mingw32-windres \
              cmake cpack ninja fakeroot; do
    readlink -f "$(command -v "$tool")"
  done
  ldd "$(command -v cpack)" | awk '/libarchive|libz\./ { print $3 }'
  echo /usr/share/cmake-*/Modules/CPack.cmake
}

# The package that holds each file named on standard input, as dpkg
# recorded it: /lib and /usr/lib are one folder, and dpkg knows each file by
# one of the two names. One search for them all, since each search reads
# the whole of dpkg's file lists.
packages_of() {
  local files=() names=() file line
  local -A owner
  while read -r file; do
    file=$(realpath -m "$file")
    files+=("$file")
    names+=("$file" "${file#/usr}")
  done
  while IFS= read -r line; do
    [[ $line == diversion* ]] || owner[${line#*: }]=${line%%: *}
  done < <(dpkg -S "${names[@]}" 2>/dev/null)
  for file in "${files[@]}"; do
    line=${owner[$file]:-${owner[${file#/usr}]:-}}
    [[ -n $line ]] || { echo "buildinfo: no package holds $file" >&2; return 1; }
    echo "$line"
  done
}

. /etc/os-release
echo "Format: 1.0"
echo "Source: fire_stats"
echo "Version: $version"
echo "Commit: $commit"
echo "Build-Origin: $PRETTY_NAME, point release $(cat /etc/debian_version)"
echo "Build-Architecture: $(dpkg --print-architecture)"
echo "Checksums-Sha256:"
(cd "$dist" && for f in *.tar.gz *.zip; do echo " $(sha256sum <"$f" | cut -d' ' -f1) $(stat -c %s "$f") $f"; done)
echo "Installed-Build-Depends:"
used_files | packages_of | sort -u |
  xargs -r dpkg-query -W -f=' ${binary:Package} (= ${Version}),\n' | sed '$ s/,$//'
