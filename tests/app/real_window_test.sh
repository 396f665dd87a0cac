#!/usr/bin/env bash
# One real window: tolmsys on a virtual X display maps its main window, skinned:
# the designed caption, the designed client size plus the skin's frame; a
# caption drag moves it, the maximise button fills the work area and restores
# the exact bounds, and the close button ends the program.
set -euo pipefail
bin_dir=$1

. "$(dirname "$0")/x_display.sh" "$bin_dir" 120 import

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

# The frame widths the skin gives: its client rect inside its form picture.
skin="$work/pic/Modern"
ini_value() { tr -d '\r' <"$skin/skin.ini" | sed -n "s/^$1=//p" | head -n 1; }
IFS=, read -r cl ct cr cb <<<"$(ini_value clientrect)"
picture=$(ini_value picture)
read -r pw ph <<<"$(identify -format '%w %h' "$skin/$picture")"
expected="$((764 + cl + pw - cr))x$((478 + ct + ph - cb))"

geometry_of() { xdotool getwindowgeometry "$wid" | sed -n "s/.*$1: \([0-9x,]*\).*/\1/p"; }
geometry=$(geometry_of Geometry)
position=$(geometry_of Position)
echo "window $wid: $name, $geometry at $position"
[ "$geometry" = "$expected" ] || { echo "expected the client 764x478 plus the skin's frame: $expected"; exit 1; }

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

# Waits until the window's geometry or position is $2 (a loaded machine may lag).
wait_for() {
  for _ in $(seq 50); do [ "$(geometry_of "$1")" = "$2" ] && return 0; sleep 0.1; done
  echo "$1 is $(geometry_of "$1"), expected $2"; cat "$work/out.log"; exit 1
}
IFS=, read -r x y <<<"$position"
w=${geometry%x*}

# A drag on the caption moves the window.
xdotool mousemove $((x + 300)) $((y + 12)); sleep 0.2
xdotool mousedown 1; sleep 0.1
xdotool mousemove $((x + 320)) $((y + 22)); sleep 0.1
xdotool mousemove $((x + 340)) $((y + 42)); sleep 0.1
xdotool mouseup 1
wait_for Position "$((x + 40)),$((y + 30))"
x=$((x + 40)); y=$((y + 30))

# The caption buttons lie right to left from the skin's buttons rect: close,
# maximise. They follow the right edge, so their offset from it stays put.
IFS=, read -r bl bt br bb <<<"$(ini_value buttonsrect)"
offset=$(ini_value buttonsoffset)
# The close button's width, from its picture rect.
IFS=, read -r sl _ sr _ <<<"$(tr -d '\r' <"$skin/skin.ini" |
  awk -F= '/^\[/{s=$0} s=="[closebutton]" && $1=="skinrect"{print $2; exit}')"
bw=$((sr - sl))
close_x=$((w - (pw - br) - bw / 2)); button_y=$((bt + (bb - bt) / 2))
max_x=$((close_x - bw - offset))
xdotool mousemove $((x + max_x)) $((y + button_y)); sleep 0.2
xdotool click 1
# No window manager: the work area is the whole screen at 0,0, and a
# maximised window keeps one pixel inside each edge.
wait_for Geometry "1278x798"
wait_for Position "1,1"

# The same button, now at the right of the maximised window, restores.
xdotool mousemove $((1 + 1278 - (w - max_x))) $((1 + button_y)); sleep 0.2
xdotool click 1
wait_for Geometry "$geometry"
wait_for Position "$x,$y"

# The close button ends the program.
xdotool mousemove $((x + close_x)) $((y + button_y)); sleep 0.2
xdotool click 1
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "the close button did not end tolmsys"; exit 1; fi
echo "real window: ok"
