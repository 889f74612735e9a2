#!/usr/bin/env bash
# Makes the Debian package from a build directory and checks what an operator gets from it:
# the files it installs, its control fields and dependencies, valid menu entries with icons of
# the sizes they name, and the launcher starting each program in its plant directory.
#
# Usage: packaging/check-deb.sh <build directory> [cpack command]
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=${2:-cpack}
out=$build/package-check
rm -rf "$out"
mkdir -p "$out"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; fail "cpack -G DEB"; }
debs=("$out"/tavrin_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one tavrin_*.deb in $out"
deb=${debs[0]}
echo "package: $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$out/files.txt"
for f in /usr/bin/Tavrin /usr/bin/Olvesk /usr/bin/tavrin-plant \
  /usr/share/applications/tavrin.desktop /usr/share/applications/olvesk.desktop \
  /usr/share/icons/hicolor/48x48/apps/tavrin.png /usr/share/icons/hicolor/256x256/apps/tavrin.png \
  /usr/share/icons/hicolor/48x48/apps/olvesk.png /usr/share/icons/hicolor/256x256/apps/olvesk.png \
  /usr/share/tavrin/sample/Velm_LOGO.BMP /usr/share/tavrin/sample/Alarm.wav; do
  grep -qxF "$f" "$out/files.txt" || fail "the package lacks $f"
done
# Nothing from the build's tests, tools or benchmarks.
if grep -vE '^/usr/(bin/(Tavrin|Olvesk|tavrin-plant)|share/(applications|icons|tavrin)(/.*)?)$|/$' \
  "$out/files.txt"; then
  fail "the package holds files beyond the programs, launcher, menu entries, icons and samples"
fi

[ "$(dpkg-deb -f "$deb" Package)" = tavrin ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libqt6widgets6 libqt6multimedia6 libjpeg62-turbo fonts-liberation2 fonts-wqy-microhei; do
  grep -qE "(^|, )$d( |,|$)" <<<"$depends" || fail "Depends lacks $d"
done

root=$out/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop-file-validate"
for entry in tavrin olvesk; do
  icon=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/$entry.desktop")
  for size in 48 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || fail "$entry.desktop names icon $icon, missing at ${size}x$size"
    # A PNG: its signature, then the header's width and height (big-endian) at bytes 16..23.
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png: not a PNG"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
    [ "$dims" = "${size}x$size" ] || fail "$png is $dims"
  done
done

# Each program, started as its menu entry starts it, has made its files in the plant directory
# before a few seconds are out.
launcher=$root/usr/bin/tavrin-plant
started_in() {  # <pattern of a file the program makes> <directory to start from> <command...>
  local made=$1 from=$2 pid i
  shift 2
  # env, not the shell's own exec, which would hand the launcher an absolute $0.
  (cd -- "$from" && exec env HOME="$out/home" QT_QPA_PLATFORM=offscreen "$@") >>"$out/run.log" 2>&1 &
  pid=$!
  for ((i = 0; i < 300; i++)); do
    compgen -G "$made" >/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  compgen -G "$made" >/dev/null || { cat "$out/run.log" >&2; fail "$* (from $from): no $made"; }
}
plant=$out/home/Tavrin
# The viewer first: it makes the plant directory, and its channel aliases file there.
started_in "$plant/DevName.dat" "$out" "$launcher" Olvesk
# With the sample logo the station starts fully: run mode begins a recording in a month folder.
cp "$root"/usr/share/tavrin/sample/* "$plant/"
started_in "$plant/[0-9][0-9]Y[0-9][0-9]M/*.vq" "$out" "$launcher" Tavrin
[ -f "$plant/Config.dat" ] && [ -d "$plant/Res" ] || fail "the station made no Config.dat and Res in $plant"
# Another plant directory, given to the launcher.
started_in "$out/elsewhere/Config.dat" "$out" "$launcher" Tavrin "$out/elsewhere"

# The launcher reached by a relative path runs the installed program, not a file of the same
# name in the plant directory.
decoy=$out/decoy
mkdir -p "$decoy"
printf '#!/bin/sh\n: >decoy-ran\n' >"$decoy/Olvesk"
chmod +x "$decoy/Olvesk"
started_in "$decoy/DevName.dat" "$root/usr/bin" ./tavrin-plant Olvesk "$decoy"
[ ! -e "$decoy/decoy-ran" ] || fail "the launcher ran the plant directory's Olvesk"
started_in "$out/relative/DevName.dat" "$out" root/usr/bin/tavrin-plant Olvesk "$out/relative"
# Reached through a symbolic link (a relative one, from another directory).
mkdir -p "$out/links"
ln -s ../root/usr/bin/tavrin-plant "$out/links/tavrin-plant"
started_in "$out/linked/DevName.dat" "$out/links" ./tavrin-plant Olvesk "$out/linked"
started_in "$out/linked2/DevName.dat" "$out" "$out/links/tavrin-plant" Olvesk "$out/linked2"
# A relative plant directory is taken from the current directory: not from CDPATH, and "-" is
# a directory of that name, not the previous one.
mkdir -p "$out/work" "$out/cdpath/rel"
started_in "$out/work/rel/DevName.dat" "$out/work" env CDPATH="$out/cdpath" "$launcher" Olvesk rel
started_in "$out/work/-/DevName.dat" "$out/work" env OLDPWD="$out/cdpath" "$launcher" Olvesk -
[ -z "$(ls -A "$out/cdpath/rel")" ] || fail "the launcher went to a plant directory found on CDPATH"
echo "the package is sound"
