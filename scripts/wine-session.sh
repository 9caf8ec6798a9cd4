# Sourced by the scripts that run Velmora under Wine: a display, a private
# Wine prefix, and clean-up of exactly the processes this session started.
# Callers set WINE_SESSION_PREFIX (the prefix folder) before sourcing.

export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
export WINEPREFIX="${WINE_SESSION_PREFIX:?}"
WINE_SESSION_XVFB_PID=""

# Starts Xvfb on the first free display, unless USE_DISPLAY=1 and a display is set.
# A display whose lock file is absent can still be taken (another X server
# in a container, or one that shares this machine's network): Xvfb then ends
# at once, and the next display is tried.
wine_session_display() {
  if [ "${USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    return
  fi
  local n=90 last=130 deadline
  while [ $n -lt $last ]; do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
      n=$((n + 1))
      continue
    fi
    Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    deadline=$((SECONDS + 20))
    until [ -e "/tmp/.X11-unix/X$n" ]; do
      kill -0 "$WINE_SESSION_XVFB_PID" 2>/dev/null || break
      [ $SECONDS -lt $deadline ] || { echo "Xvfb did not start" >&2; return 1; }
      sleep 0.1
    done
    if kill -0 "$WINE_SESSION_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return
    fi
    WINE_SESSION_XVFB_PID=""
    n=$((n + 1))
  done
  echo "Xvfb did not start: no free display from :90 to :$((last - 1))" >&2
  return 1
}

wine_session_prefix() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot -i >/dev/null 2>&1
  fi
  /usr/lib/wine/wineserver -w
}

wine_session_cleanup() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [ -n "$WINE_SESSION_XVFB_PID" ]; then
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
    wait "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
  fi
}
