#!/usr/bin/env bash
# Tries the README's quick start on a fresh, minimal Debian: makes a root of
# the given release with debootstrap, clones what is committed into it, and
# runs tools/readme-commands.sh there in a chroot, as root, with CI set so
# that a missing tool fails rather than skips. The root, its mounts and
# anything still running in it are removed however the run ends. Needs root,
# debootstrap and about 4 GB in /var/tmp.
#   tools/try-debian.sh 12|13
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-} in
  12) suite=bookworm ;;
  13) suite=trixie ;;
  *) echo "usage: $0 12|13" >&2; exit 2 ;;
esac
mirror=http://deb.debian.org/debian

root=$(mktemp -d -p /var/tmp "try-debian-$1.XXXXXX")
chmod 755 "$root" # mktemp's 700 would shut apt's own user out
cleanup() {
  local pid
  for pid in /proc/[0-9]*; do
    [[ $(readlink "$pid/root" 2>/dev/null) == "$root" ]] && kill -9 "${pid#/proc/}" 2>/dev/null
  done
  findmnt -rn -o TARGET | grep "^$root/" | sort -r | xargs -r umount -l
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

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
git clone -q . "$root/root/fire_stats"

echo "try-debian: the README's commands on Debian $1 (at $((SECONDS - start)) s)"
chroot "$root" env -i HOME=/root LANG=C.UTF-8 TERM=xterm CI=true \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /root/fire_stats/tools/readme-commands.sh
echo "try-debian: passed on Debian $1 in $((SECONDS - start)) s"
