# Shared by the run and test commands; source it, do not run it.
# Everything the build, the tests and the program need on a fresh Debian
# machine is installed from here.

VK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VK_BUILD=$VK_ROOT/build
VK_WINE=/usr/lib/wine/wine64
VK_PACKAGES=(cmake make g++ libgtest-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 xvfb xauth
  locales fonts-wqy-microhei imagemagick procps)
VK_STARTED_PIDS=()

vk_log() { printf '== %s\n' "$*"; }

vk_install_dependencies() {
  local missing=() p
  for p in "${VK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    vk_log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null
  fi
  # Wine takes its ANSI code page (936) from this locale.
  if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    vk_log "generating the zh_CN.UTF-8 locale"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
  fi
}

vk_wine_environment() {
  export WINEPREFIX=${VK_WINEPREFIX:-$VK_BUILD/wineprefix}
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=zh_CN.UTF-8
  export LC_ALL=zh_CN.UTF-8
}

# A prefix of the project's own, initialised once and reused.
vk_wine_prefix() {
  vk_wine_environment
  if [ ! -f "$WINEPREFIX/.vk-ready" ]; then
    vk_log "initialising the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$VK_WINE" wineboot -u >/dev/null 2>&1 || true
    wineserver -w
    # A crash must fail a test, not wait on a dialog.
    "$VK_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vk-ready"
  fi
}

# Starts Xvfb on a free display and exports DISPLAY.
vk_start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  VK_STARTED_PIDS+=($!)
  export DISPLAY=":$n"
  local i
  for i in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

# Stops what this script started (by PID) and the prefix's wineserver.
vk_stop_started() {
  if [ -n "${WINEPREFIX:-}" ] && command -v wineserver >/dev/null; then
    wineserver -k 2>/dev/null || true
  fi
  local pid
  for pid in "${VK_STARTED_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  VK_STARTED_PIDS=()
}

vk_build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
