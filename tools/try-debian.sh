#!/usr/bin/env bash
# Plays a container job of the hosted CI on a fresh, minimal Debian: makes a
# root of the given release with debootstrap and runs the job's own steps
# there in a chroot, as GitHub runs them in its container: as root, in
# /__w/fire_stats/fire_stats, a workspace whose top folder belongs to the
# runner's user (uid 1001), with an empty HOME of its own and CI set, so
# that a missing tool fails rather than skips. Its checkout is made as
# actions/checkout makes it: a shallow fetch of HEAD's commit, so only what
# is committed.
#   linux    (the default) linux.yml's job: the README's commands
#   release  release.yml's build job, for HEAD as the tag of the project's
#            version (Debian 12), then its publish job's checks of what the
#            build made, with a `gh` that only says what it was asked
# The root, its mounts and anything still running in it are removed however
# the run ends. Needs root, debootstrap and about 4 GB in /var/tmp.
#   tools/try-debian.sh 12|13 [linux|release]
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 12|13 [linux|release]" >&2
  exit 2
}
case ${1:-} in
  12) suite=bookworm ;;
  13) suite=trixie ;;
  *) usage ;;
esac
case ${2:-linux} in
  linux) workflow=.github/workflows/linux.yml job=readme ref=refs/heads/main ;;
  release)
    workflow=.github/workflows/release.yml job=build ref=refs/tags/v$(tools/version.sh)
    ;;
  *) usage ;;
esac
mirror=http://deb.debian.org/debian

root=$(mktemp -d -p /var/tmp "try-debian-$1.XXXXXX")
chmod 755 "$root" # mktemp's 700 would shut apt's own user out
steps=$root.steps
cleanup() {
  set +e # all of it, whatever fails on the way
  local pid
  for pid in /proc/[0-9]*; do
    [[ $(readlink "$pid/root" 2>/dev/null) == "$root" ]] && kill -9 "${pid#/proc/}" 2>/dev/null
  done
  findmnt -rn -o TARGET | grep "^$root/" | sort -r | xargs -r umount -l
  rm -rf --one-file-system "$root" "$steps"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Writes the steps of the workflow's job $1 to $steps, each a NUL-terminated
# record: the script of a `run` step, or "uses:" and the action.
steps_of() {
  python3 -c '
import sys, yaml
with open(sys.argv[1], encoding="utf-8") as f:
    job = yaml.safe_load(f)["jobs"][sys.argv[2]]
for step in job["steps"]:
    sys.stdout.write((step["run"] if "run" in step else "uses:" + step["uses"]) + "\0")
' "$workflow" "$1" >"$steps"
}
steps_of "$job" # before the long part: a job that is not there stops here

start=$SECONDS
echo "try-debian: debootstrap $suite into $root"
debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.log" 2>&1 ||
  { cat "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs"
done
cp /etc/resolv.conf "$root/etc/"
# Certificate authorities that this machine's network needs, if it has its
# own (one that inspects TLS): a fresh machine on it would have them too.
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
  mkdir -p "$root/usr/local/share/ca-certificates"
  cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
fi
workspace=/__w/fire_stats/fire_stats
mkdir -p "$root$workspace" "$root/github/home"
chown 1001:1001 "$root$workspace"

# As actions/checkout fetches a push's commit: by root, into the runner's
# user's folder, which it trusts for that step alone. For a tag, HEAD is
# left detached at it.
checkout() {
  local into=$root$workspace remote_ref=${ref/heads/remotes/origin}
  local git=(git -c safe.directory="$into" -C "$into")
  "${git[@]}" init -q
  "${git[@]}" fetch -q --no-tags --depth=1 "file://$PWD" "+$(git rev-parse HEAD):$remote_ref"
  if [[ $ref == refs/heads/* ]]; then
    "${git[@]}" checkout -q --force -B "${ref#refs/heads/}" "$remote_ref"
  else
    "${git[@]}" -c advice.detachedHead=false checkout -q --force "$ref"
  fi
}

n=0
while IFS= read -r -d '' step; do
  n=$((n + 1))
  echo "try-debian: $workflow, job $job, step $n (at $((SECONDS - start)) s)"
  case $step in
    uses:actions/checkout@*) checkout ;;
    uses:*) ;; # an upload: the files stay where the job left them
    *)
      # The image sets no LANG, and a step has no terminal.
      chroot "$root" env -i HOME=/github/home CI=true GITHUB_ACTIONS=true \
        GITHUB_WORKSPACE="$workspace" GITHUB_REF="$ref" GITHUB_REF_NAME="${ref##*/}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c 'cd "$GITHUB_WORKSPACE" && bash -e -c "$1"' step "$step"
      ;;
  esac
done <"$steps"

# The publish job runs on the runner itself, here on this machine, on what
# the build job uploaded (the download is a copy).
if [[ $job == build ]]; then
  publish=$root/publish
  mkdir -p "$publish/bin"
  cp -r "$root$workspace/build/dist" "$publish/dist"
  printf '#!/bin/sh\necho "try-debian: gh $*"\n' >"$publish/bin/gh"
  chmod +x "$publish/bin/gh"
  steps_of publish
  while IFS= read -r -d '' step; do
    [[ $step == uses:* ]] && continue
    (cd "$publish" && PATH=$publish/bin:$PATH TAG=${ref##*/} GH_REPO=example/fire_stats \
      bash -e -c "$step")
  done <"$steps"
  ls -l "$publish/dist" && cat "$publish/dist/SHA256SUMS"
fi
echo "try-debian: $workflow, job $job, passed on Debian $1 in $((SECONDS - start)) s"
