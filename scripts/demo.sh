#!/usr/bin/env bash
# make demo: a private sample home (HOME and XDG folders under the build
# folder) with sample recordings, then the program opened on it.
set -eu
build=$1
home=$2
mkdir -p "$home/Documents" "$home/Desktop" "$home/.config" "$home/.local/share"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
export XDG_DOCUMENTS_DIR="$home/Documents"
cli="$build/bin/dalvane-cli"
data="$home/Documents/Quorvex/dlv/data"
drive="$home/meter-drive"
if [ ! -d "$drive" ]; then
  if "$cli" sample-drive "$drive" --days 5 --serial 1234567 --seed 1 >/dev/null 2>&1; then
    echo "Sample meter drive written to $drive"
  fi
fi
if [ -d "$drive" ] && [ ! -d "$data/1234567" ]; then
  if ! "$cli" download "$drive" "$data" >/dev/null 2>&1; then
    "$cli" sample-drive "$data" --days 5 --serial 1234567 --seed 1 --as-data >/dev/null 2>&1 || true
  fi
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "make demo: no display found. Run it under a virtual display instead:"
  echo "  xvfb-run -a -s '-screen 0 1280x800x24' make demo"
  exit 0
fi
exec "$build/bin/dalvane"
