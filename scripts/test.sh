#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, a format check, the
# sanitizer build, and the Windows cross build of the link layer.
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

step "Windows cross build of the link layer (mingw-w64)"
bash scripts/windows-tests.sh
bash scripts/fuzz.sh
