#!/bin/sh
# Installs what is missing, builds the program and starts it.
# With no arguments it runs the example game examples/hello in the engine's
# runner; any arguments are passed to the runner instead (see README).
set -eu
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
if [ "$#" -eq 0 ]; then
    set -- examples/hello
fi
exec ./build/Runner/tesseron "$@"
