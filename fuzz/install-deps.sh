#!/usr/bin/env bash
# Installs what `make fuzz` needs beyond the ordinary build and that is
# missing: clang and its libFuzzer runtime (Debian 12's clang is 14).
set -euo pipefail
exec "$(dirname "$0")/../tools/install-deps.sh" clang libclang-rt-14-dev
