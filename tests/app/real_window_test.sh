#!/usr/bin/env bash
# One real window: tolmsys on a virtual X display maps its main window with the
# designed caption and client size, paints it, and keeps running.
set -euo pipefail
bin_dir=$1

for tool in Xvfb xdotool xdpyinfo import; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh installs it)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A copy of the installed program, so the test never touches the real bank.
cp -r "$bin_dir"/. "$work"/

# -noreset: without it the server resets when its last client (the probe
# below) disconnects, and a program connecting during the reset fails.
n=120
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

(cd / && QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 exec "$work/tolmsys") >"$work/out.log" 2>&1 &
app=$!
pids+=($app)

wid=""
for _ in $(seq 600); do
  wid=$(xdotool search --onlyvisible --name '^Vardel软件--Tolm真题练习$' 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] && break
  kill -0 "$app" 2>/dev/null || { echo "tolmsys exited early:"; cat "$work/out.log"; exit 1; }
  sleep 0.1
done
[ -n "$wid" ] || { echo "no window appeared"; cat "$work/out.log"; exit 1; }

name=$(xdotool getwindowname "$wid")
[ "$name" = "Vardel软件--Tolm真题练习" ] || { echo "caption was: $name"; exit 1; }
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
echo "window $wid: $name, $geometry"
[ "$geometry" = "764x478" ] || { echo "expected the designed client size 764x478"; exit 1; }

# The window gets painted: not the display's black background (a loaded
# machine may take a while to paint it).
centre=black
for _ in $(seq 50); do
  import -window "$wid" "$work/shot.png" 2>/dev/null || true
  centre=$(convert "$work/shot.png" -format '%[pixel:p{382,239}]' info: 2>/dev/null || echo black)
  case "$centre" in
    *"(0,0,0)"*|black) sleep 0.2 ;;
    *) break ;;
  esac
done
echo "centre pixel: $centre"
case "$centre" in
  *"(0,0,0)"*|black) echo "window not painted"; cat "$work/out.log"; exit 1 ;;
esac

kill -0 "$app" || { echo "tolmsys died"; cat "$work/out.log"; exit 1; }
echo "real window: ok"
