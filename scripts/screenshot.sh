#!/usr/bin/env bash
# Takes a screenshot of the station's main window: runs the built Tavrin (build/bin/Tavrin, or
# the program named by $TAVRIN_BIN) under a virtual X display in a fresh temporary application
# directory, waits a few seconds, saves the screen as a PNG and prints the PNG's path. The
# temporary directory is removed afterwards. Builds nothing. Needs xvfb-run and ImageMagick's
# import.
#   TAVRIN_BIN        program to run (default: build/bin/Tavrin of this repository)
#   SCREENSHOT_PNG    where to save the picture (default: build/screenshot.png of this repository)
#   SCREENSHOT_WAIT   seconds to wait before the picture is taken (default 4)
#   SCREENSHOT_SIZE   screen size (default 1280x800)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
program="${TAVRIN_BIN:-$repo/build/bin/Tavrin}"
wait_seconds="${SCREENSHOT_WAIT:-4}"
screen_size="${SCREENSHOT_SIZE:-1280x800}"
png="${SCREENSHOT_PNG:-$repo/build/screenshot.png}"

if [[ ! -x "$program" ]]; then
  echo "screenshot: no program at $program (build it first)" >&2
  exit 1
fi
for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is not installed" >&2; exit 1; }
done

mkdir -p "$(dirname "$png")"
png="$(cd "$(dirname "$png")" && pwd)/$(basename "$png")"
rm -f "$png"
app_dir="$(mktemp -d /tmp/tavrin-screenshot.XXXXXX)"
trap 'rm -rf "$app_dir"' EXIT
# The demo assets (logo, alarm sound) beside the program's build, when they were built.
assets="$(dirname "$(dirname "$program")")/demo-assets"
if [[ -d "$assets" ]]; then
  cp "$assets"/* "$app_dir"/ 2>/dev/null || true
fi

# Runs inside the virtual display: start the station, wait, grab the screen, stop the station.
# (xvfb-run goes through sh, which drops exported bash functions, so the steps are a script.)
capture='"$1" & pid=$!; sleep "$2"; import -window root "$3"; kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; true'

status=0
(cd "$app_dir" && xvfb-run -a -s "-screen 0 ${screen_size}x24" \
   bash -c "$capture" capture "$program" "$wait_seconds" "$png") >"$app_dir/run.log" 2>&1 || status=$?

if [[ ! -s "$png" ]]; then
  echo "screenshot: no picture taken (status $status); the run printed:" >&2
  cat "$app_dir/run.log" >&2
  exit 1
fi
echo "$png"
