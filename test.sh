#!/bin/sh
# Installs what is missing, builds everything and runs every test, headless.
set -eu
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTSR_BUILD_TESTS=ON
cmake --build build
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
ctest --test-dir build --output-on-failure -j2 --timeout 600
