#!/usr/bin/env bash
# Runs a command with a private PulseAudio daemon whose default sink is a null
# sink, so audio tests play for real without a sound card. The daemon lives in
# a private runtime folder and is stopped afterwards.
set -u
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export PULSE_RUNTIME_PATH="$runtime/pulse"
started=0
if command -v pulseaudio >/dev/null 2>&1; then
  if pulseaudio -D -n --exit-idle-time=-1 --disallow-exit --system=false \
       --load="module-null-sink sink_name=nullsink" \
       --load="module-native-protocol-unix" >/dev/null 2>&1; then
    started=1
    for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  fi
fi
[ "$started" = 1 ] || echo "with-pulse: no PulseAudio daemon; audio tests will skip" >&2
"$@"
rc=$?
if [ "$started" = 1 ]; then pulseaudio -k >/dev/null 2>&1 || true; fi
rm -rf "$runtime"
exit $rc
