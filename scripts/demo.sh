#!/usr/bin/env bash
# Builds both programs (build/bin/Tavrin and build/bin/Olvesk) and starts the station in a demo
# application directory (build/demo-app) holding the logo and alarm sound the build makes, a
# Config.dat with three meters, and simulated meters: two on COM1 (a pty linked as
# build/demo-app/dev/com1) and one on 127.0.0.1:DEMO_PORT. Closing the station's window ends
# the demo and stops the simulator.
# The demo directory keeps its Config.dat and recordings between runs; delete it to start over.
# Needs a display (run it in a desktop session, or under xvfb-run).
#   DEMO_PORT   TCP port of the simulated Ethernet meter (default 15020)
#   DEMO_JOBS   parallel build jobs (default: the number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."
tcp_port="${DEMO_PORT:-15020}"
jobs="${DEMO_JOBS:-$(nproc)}"
if ! [[ "$tcp_port" =~ ^[0-9]+$ ]] || ((10#$tcp_port < 1 || 10#$tcp_port > 65535)); then
  echo "demo: DEMO_PORT=$tcp_port is not a TCP port (1..65535)" >&2
  exit 1
fi
tcp_port=$((10#$tcp_port))
if ! [[ "$jobs" =~ ^[1-9][0-9]*$ ]]; then
  echo "demo: DEMO_JOBS=$jobs is not a number of jobs" >&2
  exit 1
fi

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs" --target Tavrin Olvesk meter_sim make_demo_config demo_assets

app_dir="$PWD/build/demo-app"
# The port is written into Config.dat when the demo directory is made; a later run on another
# port would find its Ethernet meter offline.
port_note="$app_dir/demo-port"
if [[ -e "$app_dir/Config.dat" && -f "$port_note" && "$(cat "$port_note")" != "$tcp_port" ]]; then
  echo "demo: $app_dir was set up for port $(cat "$port_note"): run with DEMO_PORT=$(cat "$port_note")," \
       "or delete $app_dir to start over on port $tcp_port" >&2
  exit 1
fi
mkdir -p "$app_dir"
cp -n build/demo-assets/Velm_LOGO.BMP build/demo-assets/Alarm.wav "$app_dir"/ 2>/dev/null || true
if [[ ! -e "$app_dir/Config.dat" ]]; then
  build/bin/make_demo_config "$app_dir" "$tcp_port"
  echo "$tcp_port" >"$port_note"
fi

sim_log="$(mktemp)"
build/bin/meter_sim --appdir "$app_dir" --com 1 --tcp "$tcp_port" --slaves 1,2,3 >"$sim_log" 2>&1 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -f "$sim_log"' EXIT
# The simulator reports its TCP port once both its COM link and its port are served.
for _ in $(seq 100); do
  grep -q '^TCP:' "$sim_log" && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "demo: the simulated meters could not start:" >&2
    grep '^meter_sim:' "$sim_log" >&2 || cat "$sim_log" >&2
    if grep -q 'in use' "$sim_log"; then
      echo "demo: port $tcp_port is taken; choose another with DEMO_PORT (and delete $app_dir," \
           "whose Config.dat names the port)" >&2
    fi
    exit 1
  fi
  sleep 0.1
done

cd "$app_dir"
"$OLDPWD/build/bin/Tavrin"
