#!/bin/sh
# Installs every Debian package the project needs to build, run and test
# (headless included). Packages already present are skipped.
set -eu

PACKAGES="
build-essential
cmake
ninja-build
pkg-config
git
libsdl2-dev
libgl-dev
libegl-dev
libgl1-mesa-dri
libegl-mesa0
libgles-dev
libpng-dev
libjpeg-dev
zlib1g-dev
libsndfile1-dev
libopenmpt-dev
liblua5.1-0-dev
libgtest-dev
libgmock-dev
googletest
libbenchmark-dev
libpugixml-dev
libtinyxml2-dev
clang
ccache
libclang-rt-14-dev
fonts-dejavu-core
love
libfreetype-dev
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends $missing
