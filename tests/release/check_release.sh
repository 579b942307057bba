#!/usr/bin/env bash
# Runs tools/release.sh as the release's container job and a maintainer
# rebuilding a release would, on this working tree, committed in a clone of
# its own.
#   refusals    As the container job: root, in a workspace whose top folder
#               another user owns, with a fresh HOME. Without the
#               safe.directory that release.yml sets, git cannot read the
#               checkout, and the script must stop right there. With it, a
#               tag on another commit, a tag for another version and a tag
#               that does not exist must each be refused, with no git
#               command failing on the way.
#   same_bytes  That release, built for a tag from a checkout made as the
#               job's (shallow, detached), must have the same SHA256SUMS
#               and buildinfo as one built by another user (uid 1001) with
#               umask 077, in another folder, time zone and locale, with a
#               SOURCE_DATE_EPOCH of their own.
# Needs root, to be and to act as another user: exits 77 (skipped)
# otherwise, or 1 under CI.
#   check_release.sh refusals|same_bytes SOURCE_DIR
set -euo pipefail
mode=$1 source=$2
other=1001

skip() {
  if [[ -n ${CI:-} ]]; then
    echo "check_release: missing under CI: $*"
    exit 1
  fi
  echo "check_release: skipped: $*"
  exit 77
}
fail() {
  echo "check_release: $*"
  exit 1
}
((EUID == 0)) || skip "only root can act as the release job and as another user"
for tool in git setpriv fakeroot x86_64-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

# The other user's folder is in /tmp, which they can reach whatever TMPDIR
# says.
scratch=$(mktemp -d) theirs=$(mktemp -d -p /tmp)
trap 'rm -rf "$scratch" "$theirs"' EXIT

# A clone of SOURCE with the working tree's changes, new files included,
# committed, and its version's tag on that commit, annotated as a
# maintainer's `git tag -a` makes it.
ws=$scratch/workspace
git clone -q "$source" "$ws"
git -C "$source" diff HEAD --binary | git -C "$ws" apply --allow-empty --index
git -C "$source" ls-files -z --others --exclude-standard |
  (cd "$source" && xargs -0r cp --parents -t "$ws")
git -C "$ws" add -A
as_checker=(-c user.name=check -c user.email=check@invalid)
git -C "$ws" "${as_checker[@]}" commit -q --allow-empty -m "working tree"
version=$("$ws/tools/version.sh")
git -C "$ws" "${as_checker[@]}" tag -a -m "fire_stats $version" "v$version"

# As the container job: the workspace's top folder is the runner's user's,
# and HOME is fresh.
release_job() {
  HOME=$scratch/home bash "$ws/tools/release.sh" "$@" 2>&1
}
mkdir "$scratch/home"

if [[ $mode == refusals ]]; then
  git -C "$ws" "${as_checker[@]}" commit -q --allow-empty -m later
  git -C "$ws" tag v0.0.1
  chown "$other:$other" "$ws"
  if said=$(release_job "v$version"); then
    fail "it ran without safe.directory: $said"
  fi
  [[ $(grep -c '^release:' <<<"$said") == 1 && $(tail -1 <<<"$said") == *safe.directory* ]] ||
    fail "it did not stop at the first git command that failed: $said"
  HOME=$scratch/home git config --global --add safe.directory "$ws"
  for refused in "v$version:is not the commit checked out" "v0.0.1:the tag must be v$version" \
                 "v9.9.9:there is no tag v9.9.9"; do
    tag=${refused%%:*} reason=${refused#*:}
    if said=$(release_job "$tag"); then
      fail "$tag was not refused: $said"
    fi
    [[ $said == *"$reason"* && $said != *fatal:* ]] || fail "$tag: expected \"$reason\": $said"
    echo "check_release: $tag refused: $reason"
  done
  exit 0
fi

git clone -q "$ws" "$theirs/fire_stats"
mkdir "$theirs/tmp"
chown -R "$other:$other" "$theirs"
# The release job's checkout, as actions/checkout makes it: the tag itself,
# annotation and all, with the tagged commit alone, fetched into an empty
# repository and checked out detached.
job=$scratch/job
git init -q "$job"
tag=refs/tags/v$version
git -C "$job" fetch -q --no-tags --depth=1 "file://$ws" "+$tag:$tag"
git -C "$job" -c advice.detachedHead=false checkout -q "$tag"
ws=$job
chown "$other:$other" "$ws"
HOME=$scratch/home git config --global --add safe.directory "$ws"
release_job "v$version" >"$scratch/root.log" ||
  { cat "$scratch/root.log"; fail "root's release failed"; }
setpriv --reuid="$other" --regid="$other" --clear-groups \
  env HOME="$theirs" TMPDIR="$theirs/tmp" TZ=JST-9 LC_ALL=C SOURCE_DATE_EPOCH=1700000000 \
  bash -c 'umask 077 && cd "$1" && tools/release.sh "$2"' release "$theirs/fire_stats" "v$version" \
  >"$scratch/other.log" 2>&1 || { cat "$scratch/other.log"; fail "uid $other's release failed"; }

root_dist=$ws/build/dist other_dist=$theirs/fire_stats/build/dist
for who in "root, umask 022:$root_dist" "uid $other, umask 077:$other_dist"; do
  echo "check_release: ${who%%:*}:" && sed 's/^/  /' "${who#*:}/SHA256SUMS"
done
cmp "$root_dist/SHA256SUMS" "$other_dist/SHA256SUMS" || fail "the two releases differ"
cmp "$root_dist/fire_stats-$version.buildinfo" "$other_dist/fire_stats-$version.buildinfo" ||
  fail "the two buildinfo files differ"
# The same, and what built the archives: not every package installed.
info=$(<"$root_dist/fire_stats-$version.buildinfo")
for package in cmake fakeroot g++-mingw-w64-x86-64-posix ninja-build; do
  [[ $info == *$'\n '"$package (= "* ]] || fail "the buildinfo does not name $package: $info"
done
[[ $info != *$'\n tmux (= '* ]] || fail "the buildinfo names tmux, which builds nothing: $info"
zip=$(cd "$root_dist" && echo *.zip)
grep -q "^\*\*Για Windows:\*\* .*\`$zip\`" "$root_dist/release-notes.md" ||
  fail "the release notes do not begin with the ZIP to take"
echo "check_release: the same SHA256SUMS and buildinfo, whoever builds"
