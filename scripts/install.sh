#!/usr/bin/env bash
# Installs what build.sh built: plug-ins and apps for the current user, factory content
# system-wide (as root or through sudo), then renders a demonstration kick.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

artefacts="$THUDMOR_BUILD_DIR/Thudmor_artefacts/Release"
vst3_dir="$HOME/.vst3"
lv2_dir="$HOME/.lv2"
bin_dir="$HOME/.local/bin"
factory_dir="/usr/local/share/Vellmark/Thudmor"
demo_dir="$HOME/Thudmor Demo"

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
fi

install_bundle() { # source-bundle destination-folder
    mkdir -p "$2"
    rm -rf "$2/$(basename "$1")"
    cp -R "$1" "$2/"
}

install_bundle "$artefacts/VST3/Thud Mor.vst3" "$vst3_dir"
install_bundle "$artefacts/LV2/Thud Mor.lv2" "$lv2_dir"
mkdir -p "$bin_dir"
install -m 755 "$artefacts/Standalone/Thud Mor" "$bin_dir/thudmor"

render_tool="$THUDMOR_BUILD_DIR/tools/thudmor-render"
if [[ -x "$render_tool" ]]; then
    install -m 755 "$render_tool" "$bin_dir/thudmor-render"
fi

if [[ -d "$THUDMOR_ROOT/factory" ]]; then
    "${as_root[@]}" mkdir -p "$factory_dir"
    "${as_root[@]}" rm -rf "$factory_dir/Presets" "$factory_dir/Samples"
    "${as_root[@]}" cp -R "$THUDMOR_ROOT/factory/." "$factory_dir/"
    "${as_root[@]}" chmod -R a+rX "$factory_dir"
fi

echo
echo "Installed:"
echo "  VST3        $vst3_dir/Thud Mor.vst3"
echo "  LV2         $lv2_dir/Thud Mor.lv2"
echo "  Standalone  $bin_dir/thudmor"
[[ -x "$bin_dir/thudmor-render" ]] && echo "  Render tool $bin_dir/thudmor-render"
echo "  Factory     $factory_dir"

if [[ -x "$bin_dir/thudmor-render" ]]; then
    mkdir -p "$demo_dir"
    echo
    echo "Demonstration kicks, rendered through the plug-in's processor from the installed factory content:"
    "$bin_dir/thudmor-render" Default -o "$demo_dir/Default.wav" --png "$demo_dir/Default.png"
    "$bin_dir/thudmor-render" Default --attack1 "Beaters" \
        -o "$demo_dir/Default with Beaters.wav" --png "$demo_dir/Default with Beaters.png"
    "$bin_dir/thudmor-render" "Techno/Rumble" -o "$demo_dir/Rumble.wav" --png "$demo_dir/Rumble.png"
    echo "More: thudmor-render --help"
fi
