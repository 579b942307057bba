#!/usr/bin/env bash
# Installs with apt-get what fire_stats needs and a Debian 12 machine lacks;
# installs nothing when all of it is there. CI runs it too.
#   tools/install-deps.sh           what every test needs (and CI)
#   tools/install-deps.sh program   only what building the program needs
set -euo pipefail

program=(cmake ninja-build g++)
tests=("${program[@]}" libgtest-dev googletest python3 python3-yaml tmux g++-mingw-w64-x86-64-posix
       g++-mingw-w64-i686-posix wine64 clang libclang-rt-14-dev clang-format clang-tidy cppcheck)
case ${1:-tests} in
  program) wanted=("${program[@]}") ;;
  tests) wanted=("${tests[@]}") ;;
  *) echo "usage: $0 [program|tests]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0

as_root=()
((EUID == 0)) || as_root=(sudo)
echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
