#!/usr/bin/env bash
# Plays a container job of the hosted CI on a fresh, minimal Debian: makes a
# root of the given release with debootstrap and runs the job's own steps
# there in a chroot, as GitHub runs them in its container: as root, in
# /__w/fire_stats/fire_stats, a workspace whose top folder belongs to the
# runner's user (uid 1001), with an empty HOME of its own and CI set, so
# that a missing tool fails rather than skips, each step with the shell
# that the runner would give it (sh, which is dash, unless it says
# otherwise). Its checkout is made as actions/checkout makes it: a shallow
# fetch of HEAD's commit, or of the version's tag, so only what is committed.
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
steps=$root.steps origin=$root.origin
cleanup() {
  set +e # all of it, whatever fails on the way
  local pid
  for pid in /proc/[0-9]*; do
    [[ $(readlink "$pid/root" 2>/dev/null) == "$root" ]] && kill -9 "${pid#/proc/}" 2>/dev/null
  done
  findmnt -rn -o TARGET | grep "^$root/" | sort -r | xargs -r umount -l
  rm -rf --one-file-system "$root" "$steps" "$origin"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The steps of the workflow's job $1 in $steps, as tools/workflow_steps.py
# writes them: with the shell and environment that the runner gives each.
steps_of() {
  python3 tools/workflow_steps.py "$workflow" "$1" >"$steps"
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

# What checkout fetches from: this repository, with the version's tag
# annotated, as a maintainer's `git tag -a` makes it.
git clone -q --bare . "$origin"
head=$(git rev-parse HEAD)
if [[ $ref == refs/tags/* ]]; then
  git -C "$origin" -c user.name=try-debian -c user.email=try-debian@invalid \
    tag -f -a -m "${ref#refs/tags/}" "${ref#refs/tags/}" "$head"
fi

# As actions/checkout v7 makes it: by root, into the runner's user's folder,
# which it trusts for that step alone; the commit alone for a branch, the
# tag itself (annotation and all) for a tag, which leaves HEAD detached.
checkout() {
  local into=$root$workspace remote_ref=${ref/heads/remotes/origin} refspec
  local git=(git -c safe.directory="$into" -C "$into")
  refspec="+$head:$remote_ref"
  [[ $ref == refs/tags/* ]] && refspec="+$ref:$ref"
  "${git[@]}" init -q
  "${git[@]}" remote add origin "file://$origin"
  "${git[@]}" -c protocol.version=2 fetch -q --no-tags --prune --no-recurse-submodules --depth=1 \
    origin "$refspec"
  if [[ $ref == refs/heads/* ]]; then
    "${git[@]}" checkout -q --force -B "${ref#refs/heads/}" "$remote_ref"
  else
    "${git[@]}" -c advice.detachedHead=false checkout -q --force "$ref"
  fi
}

# Runs a step as the runner does: its script in a file of the runner's
# temporary folder, given to the step's shell command in place of {0}, in
# the workspace, with the workflow's, job's and step's variables beside what
# the runner sets. Its arguments are the chroot's root (empty: this
# machine), the workspace, the temporary folder, the command, the variables
# as NAME=VALUE lines and the script; any more (NAME=VALUE) go last, for
# what only GitHub gives.
run_step() {
  local root=$1 dir=$2 temp=$3 command=$4 vars=$5 script=$6 in=() argv=() env=()
  [[ -n $root ]] && in=(chroot "$root")
  mkdir -p "$root$temp"
  printf '%s' "$script" >"$root$temp/step-$n.sh"
  read -ra argv <<<"${command//\{0\}/$temp/step-$n.sh}"
  [[ -z $vars ]] || mapfile -t env <<<"${vars%$'\n'}"
  # The image sets no LANG, and a step has no terminal.
  "${in[@]}" env -i --chdir="$dir" HOME=/github/home CI=true GITHUB_ACTIONS=true \
    GITHUB_WORKSPACE="$dir" GITHUB_REF="$ref" GITHUB_REF_NAME="${ref##*/}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "${env[@]}" "${@:7}" \
    "${argv[@]}"
}

# Plays the job whose steps are in $steps; its arguments go to run_step,
# before and after the step's own.
run_job() {
  local kind action command vars script
  n=0
  while IFS= read -r -d '' kind; do
    n=$((n + 1))
    echo "try-debian: $workflow, job $job, step $n (at $((SECONDS - start)) s)"
    if [[ $kind == uses ]]; then
      IFS= read -r -d '' action
      # Anything else uploads or downloads: the files stay where they are.
      [[ $action != actions/checkout@* ]] || checkout
    else
      IFS= read -r -d '' command && IFS= read -r -d '' vars && IFS= read -r -d '' script
      echo "try-debian: $command"
      run_step "$1" "$2" "$3" "$command" "$vars" "$script" "${@:4}"
    fi
  done <"$steps"
}
run_job "$root" "$workspace" /__w/_temp

# The publish job runs on the runner itself, here on this machine, on what
# the build job uploaded (the download is a copy), with a `gh` that says
# what it was asked.
if [[ $job == build ]]; then
  publish=$root/publish
  mkdir -p "$publish/bin"
  cp -r "$root$workspace/build/dist" "$publish/dist"
  printf '#!/bin/sh\necho "try-debian: gh $*"\n' >"$publish/bin/gh"
  chmod +x "$publish/bin/gh"
  job=publish
  steps_of publish
  run_job "" "$publish" "$publish/_temp" PATH="$publish/bin:/usr/bin:/bin" TAG="${ref##*/}" \
    GH_REPO=example/fire_stats
  ls -l "$publish/dist" && cat "$publish/dist/SHA256SUMS"
fi
echo "try-debian: $workflow, passed on Debian $1 in $((SECONDS - start)) s"
