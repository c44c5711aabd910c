#!/usr/bin/env bash
# Runs the README's test command as a new user would: in a minimal Debian 12 root made with
# debootstrap, from a fresh clone of the current main, with nothing installed beforehand but
# git. A green run on the machine that wrote a change proves nothing about the next machine.
#
#   scripts/fresh-machine-check.sh [ROOT]     ROOT defaults to a new folder under /var/tmp
#
# Needs root (debootstrap, chroot, mounts). Not part of CI: it takes a quarter of an hour or
# more. Everything it mounts or makes is taken away at the end, also on Ctrl+C.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
[ "$(id -u)" -eq 0 ] || { echo "run me as root" >&2; exit 2; }

root="${1:-$(mktemp -d /var/tmp/fresh-machine.XXXXXX)}"
mkdir -p "$root"
started=$(date +%s)
mounted=()

cleanup() {
    local code=$?
    trap - EXIT INT TERM
    # Whatever the root still runs (an Xvfb, a simulator) holds its mounts: end it first.
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null
    done
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${mounted[i]}" 2>/dev/null || true
    done
    # Remove only when nothing is mounted below it any more, so the host's /dev is never touched.
    if ! grep -q " $root/" /proc/mounts; then
        rm -rf --one-file-system "$root"
    else
        echo "left $root in place: something is still mounted below it" >&2
    fi
    echo "fresh-machine check: $([ "$code" -eq 0 ] && echo passed || echo "FAILED ($code)")" \
        "in $(($(date +%s) - started)) s"
    exit "$code"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The mirror this machine's own apt sources name.
mirror=$(grep -rhoE '^(URIs:|deb) +https?://[^ ]+' /etc/apt/sources.list.d/*.sources \
    /etc/apt/sources.list 2>/dev/null | grep -v security | head -n1 | awk '{print $2}' || true)
mirror="${mirror:-http://deb.debian.org/debian}"

command -v debootstrap >/dev/null || {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

echo "== debootstrap bookworm into $root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
    tail -n 20 "$root.debootstrap.log" >&2
    exit 1
}
rm -f "$root.debootstrap.log"
# The root takes this machine's apt sources as they are; debootstrap's own list would name
# the same mirror twice.
if [ -e /etc/apt/sources.list.d/debian.sources ]; then
    cp -L /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
    rm -f "$root/etc/apt/sources.list"
fi
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

for m in proc sys dev dev/pts; do
    mount --bind "/$m" "$root/$m"
    mounted+=("$root/$m")
done

echo "== clone of $(git -C "$repo" rev-parse --short HEAD) and the test command"
git clone -q "$repo" "$root/work/project"
# The test command expects the shared folder beside the clone, as CI lays it.
[ -d "$repo/../shared" ] && cp -r "$repo/../shared" "$root/work/shared"

chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    CI=true bash -c '
        set -e
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq git >/dev/null
        cd /work/project
        bash .ci/run
    '
