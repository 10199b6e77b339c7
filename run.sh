#!/bin/sh
# Installs what is missing, builds the program and starts it.
# Any arguments are passed to the program.
set -eu
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
exec ./build/Runner/tesseron "$@"
