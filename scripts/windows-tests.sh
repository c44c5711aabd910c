#!/usr/bin/env bash
# Cross-compiles the link layer and its tests for Windows with mingw-w64.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross
