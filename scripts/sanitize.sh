#!/usr/bin/env bash
# Builds the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer and under
# ThreadSanitizer, each in its own build folder, and runs it through CTest. Any sanitizer
# report fails the run. Prints how long each build and run took.
#
#   scripts/sanitize.sh            both
#   scripts/sanitize.sh address    ASan + UBSan only
#   scripts/sanitize.sh thread     TSan only
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

sanitizers=("$@")
if [[ ${#sanitizers[@]} -eq 0 ]]; then
    sanitizers=(address thread)
fi

"$THUDMOR_ROOT/scripts/install-deps.sh"

# Every report ends the process with an error; leaks are reports too. Nothing is suppressed.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"

summary=()
for sanitizer in "${sanitizers[@]}"; do
    case "$sanitizer" in
        address) folder="$THUDMOR_ROOT/build-asan" ;;
        thread) folder="$THUDMOR_ROOT/build-tsan" ;;
        *) echo "unknown sanitizer '$sanitizer' (address or thread)" >&2; exit 2 ;;
    esac

    started=$SECONDS
    THUDMOR_BUILD_DIR="$folder" thudmor_configure -DTHUDMOR_SANITIZER="$sanitizer" -DTHUDMOR_BUILD_BENCHMARKS=OFF
    cmake --build "$folder" -j "$THUDMOR_JOBS"
    built=$SECONDS
    ctest --test-dir "$folder" --output-on-failure -j "$THUDMOR_JOBS"
    finished=$SECONDS

    summary+=("$sanitizer: build $((built - started)) s, tests $((finished - built)) s")
done

printf 'sanitizer runs clean\n'
printf '  %s\n' "${summary[@]}"
