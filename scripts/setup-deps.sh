#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing, plus any
# package named on the command line (the start command adds adb).
# Safe to run again; needs root (or sudo) only when something has to be installed.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang-format util-linux
    clang libclang-rt-14-dev
    # the companion app: smali/baksmali, aapt with the framework resources, zipalign, apksigner
    # and the Java runtime they run on (its keytool makes the signing key)
    libsmali-java aapt android-framework-res zipalign apksigner default-jre-headless
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all build packages present"
    exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
