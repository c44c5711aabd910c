#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, a format check, the
# sanitizer build, the Windows cross build of the Qt-free parts, the Debian package and the
# fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

step() { printf '\n== %s\n' "$*"; }

step "format check"
bash scripts/check-format.sh

step "build and test (RelWithDebInfo)"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

step "build and test under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset sanitize

step "Windows cross build of the Qt-free parts (mingw-w64)"
bash scripts/windows-tests.sh

step "Debian package: lintian, appstreamcli, desktop-file-validate"
bash scripts/package-check.sh

bash scripts/fuzz.sh
