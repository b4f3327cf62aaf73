#!/bin/sh
# Installs the Debian packages the build, the tests and the program need, when missing.
set -e
PACKAGES="g++ make cmake ninja-build pkg-config
qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
libfluidsynth-dev timgm6mb-soundfont fonts-wqy-microhei
libgtest-dev libgmock-dev libbenchmark-dev libboost-dev xvfb xauth
clang-14 libclang-rt-14-dev desktop-file-utils appstream shared-mime-info dpkg-dev"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        SUDO=sudo
    else
        echo "Root rights are needed to install:$missing" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq $missing
