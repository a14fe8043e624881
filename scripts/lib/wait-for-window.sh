# Sourced by the scripts that start Dravel on an X display (scripts/run.sh, scripts/test-windows.sh,
# tests/app/startup_xvfb.sh).

# The main window's name as xwininfo prints it, quotes included.
DRAVEL_MAIN_WINDOW='"Einstellungen für "Kalvor.EXE""'

# wait_for_window NAME [SECONDS]: waits until a window whose xwininfo line holds NAME is on
# $DISPLAY and prints that line (id, name, geometry); fails when none appears within SECONDS
# (default 20).
wait_for_window() {
  local name="$1" tries=$((${2:-20} * 10)) line
  for _ in $(seq 1 "$tries"); do
    line="$(xwininfo -root -tree 2>/dev/null | grep -F -- "$name" | head -1 || true)"
    if [ -n "$line" ]; then
      printf '%s\n' "$line"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
