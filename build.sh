#!/usr/bin/env bash
# Builds Thudmor (Release), installs the VST3, LV2, standalone app, command-line tools and
# factory content, then renders a kick you can play.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"

"$THUDMOR_ROOT/scripts/install-deps.sh"
thudmor_configure
cmake --build "$THUDMOR_BUILD_DIR" -j "$THUDMOR_JOBS"
"$THUDMOR_ROOT/scripts/install.sh"
