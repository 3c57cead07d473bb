# Shared settings of the build and test scripts (sourced, not run).
THUDMOR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
THUDMOR_BUILD_DIR="${THUDMOR_BUILD_DIR:-$THUDMOR_ROOT/build}"
THUDMOR_JOBS="${THUDMOR_JOBS:-$(nproc)}"

# ccache keeps warm rebuilds of JUCE to seconds; __DATE__/__TIME__ in JUCE must not defeat it.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-time_macros}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$THUDMOR_ROOT}"

thudmor_configure() {
    cmake -S "$THUDMOR_ROOT" -B "$THUDMOR_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release "$@"
}
