#!/usr/bin/env bash
# Builds everything (Release) and runs every test through CTest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"

"$THUDMOR_ROOT/scripts/install-deps.sh"
thudmor_configure
cmake --build "$THUDMOR_BUILD_DIR" -j "$THUDMOR_JOBS"
ctest --test-dir "$THUDMOR_BUILD_DIR" --output-on-failure -j "$THUDMOR_JOBS"
