#!/usr/bin/env bash
# Builds the station and starts it in a demo application directory (build/demo-app) holding the
# logo and alarm sound the build makes, a Config.dat with three meters, and simulated meters:
# two on COM1 (a pty linked as build/demo-app/dev/com1) and one on 127.0.0.1:15020.
# The demo directory keeps its Config.dat and recordings between runs; delete it to start over.
# Needs a display (run it in a desktop session, or under xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target Tavrin meter_sim make_demo_config demo_assets

app_dir="$PWD/build/demo-app"
tcp_port=15020
mkdir -p "$app_dir"
cp -n build/demo-assets/Velm_LOGO.BMP build/demo-assets/Alarm.wav "$app_dir"/ 2>/dev/null || true
build/bin/make_demo_config "$app_dir" "$tcp_port"

build/bin/meter_sim --appdir "$app_dir" --com 1 --tcp "$tcp_port" --slaves 1,2,3 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$app_dir/dev/com1" ] && break; sleep 0.1; done

cd "$app_dir"
"$OLDPWD/build/bin/Tavrin"
