#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a bounded time,
# first over the kept regression inputs, then fuzzing from the checked-in seeds. Any crash,
# leak, hang, sanitizer report or non-finite block fails the run; the input that caused it is
# left in fuzz-out/<target>/ for a regression case (tests/data/fuzz-regressions/<folder>/).
#
#   THUDMOR_FUZZ_SECONDS   seconds per target (default 60)
#   THUDMOR_FUZZ_TARGETS   space-separated subset of: state preset embedded document
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds="${THUDMOR_FUZZ_SECONDS:-60}"
read -r -a folders <<< "${THUDMOR_FUZZ_TARGETS:-state preset embedded document}"
build="${THUDMOR_FUZZ_BUILD_DIR:-$THUDMOR_ROOT/build-fuzz}"
out="$THUDMOR_ROOT/fuzz-out"

THUDMOR_WITH_CLANG=1 "$THUDMOR_ROOT/scripts/install-deps.sh"

target_of() {
    case "$1" in
        state) echo thudmor_fuzz_StateBlob ;;
        preset) echo thudmor_fuzz_PresetFile ;;
        embedded) echo thudmor_fuzz_EmbeddedSample ;;
        document) echo thudmor_fuzz_DocumentWalk ;;
        *) echo "unknown fuzz target '$1'" >&2; exit 2 ;;
    esac
}

targets=()
for folder in "${folders[@]}"; do
    targets+=("$(target_of "$folder")")
done

CC=clang CXX=clang++ THUDMOR_BUILD_DIR="$build" thudmor_configure \
    -DTHUDMOR_FUZZ=ON -DTHUDMOR_BUILD_TESTS=OFF -DTHUDMOR_BUILD_BENCHMARKS=OFF -DTHUDMOR_BUILD_TOOLS=OFF
cmake --build "$build" -j "$THUDMOR_JOBS" --target "${targets[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:abort_on_error=1:print_stacktrace=1}"

summary=()
for folder in "${folders[@]}"; do
    target="$(target_of "$folder")"
    binary="$build/fuzz/$target"
    work="$out/$folder"
    rm -rf "$work"
    mkdir -p "$work/corpus"
    cp "$THUDMOR_ROOT/fuzz/corpus/$folder/"* "$work/corpus/"
    if [[ "$folder" == document ]]; then
        cp "$THUDMOR_ROOT/resources/gui.xml" "$work/corpus/"
    fi

    # Inputs that once found a fault must pass before anything new is tried.
    regressions="$THUDMOR_ROOT/tests/data/fuzz-regressions/$folder"
    if compgen -G "$regressions/*" > /dev/null; then
        "$binary" -rss_limit_mb=4096 -timeout=30 "$regressions"/* > "$work/regressions.log" 2>&1 \
            || { cat "$work/regressions.log"; echo "fuzz: $target fails a kept regression input" >&2; exit 1; }
    fi

    echo "fuzzing $target for $seconds s"
    if ! "$binary" "$work/corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$work/" > "$work/fuzz.log" 2>&1; then
        tail -n 60 "$work/fuzz.log"
        echo "fuzz: $target found a fault; the input is in $work/" >&2
        exit 1
    fi

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/fuzz.log")
    summary+=("$target: $runs runs, $rate exec/s")
done

printf 'fuzzing clean\n'
printf '  %s\n' "${summary[@]}"
