#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it with the validators a distribution
# would run: lintian on the package, appstreamcli and desktop-file-validate on the files
# as installed by it. Fails on any lintian error, and on any AppStream or desktop entry
# warning or error.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

step() { printf '\n-- %s\n' "$*"; }
fail() {
  printf 'package-check: %s\n' "$*" >&2
  exit 1
}

build="$root/build/default"
step "build (preset default)"
cmake --preset default >/dev/null
cmake --build --preset default

step "package (cpack -G DEB)"
out="$build/package"
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null) || fail "cpack failed"
debs=("$out"/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $out"
deb=${debs[0]}
echo "$deb"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb"

work=$(mktemp -d "${TMPDIR:-/tmp}/dut-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"

step "desktop-file-validate"
desktop=("$work"/root/usr/share/applications/*.desktop)
[ -f "${desktop[0]}" ] || fail "the package holds no desktop entry"
# The validator exits 0 on hints but prints them: any output counts.
report=$(desktop-file-validate "${desktop[@]}" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
echo "clean: ${desktop[*]##*/}"

step "appstreamcli validate --no-net"
metainfo=("$work"/root/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "the package holds no AppStream metainfo"
report=$(appstreamcli validate --no-net --no-color "${metainfo[@]}" 2>&1) || {
  printf '%s\n' "$report"
  fail "appstreamcli reports an error or a warning"
}
printf '%s\n' "$report"

step "appstreamcli validate-tree --no-net (metainfo, desktop entry and icon together)"
appstreamcli validate-tree --no-net --no-color "$work/root" || fail "validate-tree failed"

step "lintian"
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" || fail "lintian reports an error"
echo "lintian: no error"
