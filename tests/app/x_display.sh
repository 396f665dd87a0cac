# Sourced by the real-window tests: checks the tools they need, makes a work
# folder holding a copy of the installed program (so a test never touches the
# real bank), and starts a virtual X display on the first free number from $2.
# Sets: work, pids (killed on exit), DISPLAY.
# Usage: . x_display.sh <bin dir> <first display number> <tool>...
x_bin_dir=$1
x_first=$2
shift 2
for tool in Xvfb xdotool xdpyinfo "$@"; do
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
cp -r "$x_bin_dir"/. "$work"/

# -noreset: without it the server resets when its last client (the probe
# below) disconnects, and a program connecting during the reset fails.
n=$x_first
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
