# Shared by the run and test commands; source it, do not run it.
# Everything the build, the tests and the program need on a fresh Debian
# machine is installed from here.

VK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VK_BUILD=$VK_ROOT/build
# The product is a 32-bit exe: Wine's 32-bit loader (wine32:i386) runs it.
VK_WINE32=/usr/lib/wine/wine
# Wine's 64-bit loader sets prefixes up and runs 64-bit builds.
VK_WINE=/usr/lib/wine/wine64
VK_PACKAGES=(cmake make g++ libgtest-dev g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 wine32:i386 xvfb xauth
  locales fonts-wqy-microhei imagemagick procps)
VK_STARTED_PIDS=()

vk_log() { printf '== %s\n' "$*"; }

vk_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

vk_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'
}

vk_install_dependencies() {
  local missing=() p
  for p in "${VK_PACKAGES[@]}"; do
    vk_installed "$p" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    # Packages named with :i386 come from the i386 side of the same archive.
    if [[ " ${missing[*]} " == *":i386 "* ]] &&
      ! dpkg --print-foreign-architectures | grep -qx i386; then
      vk_log "adding the i386 architecture"
      vk_sudo dpkg --add-architecture i386
    fi
    vk_log "installing ${missing[*]}"
    vk_sudo apt-get update -qq
    vk_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null
  fi
  # Wine takes its ANSI code page (936) from this locale.
  if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    vk_log "generating the zh_CN.UTF-8 locale"
    vk_sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
  fi
}

# The environment of the program under Wine; the win32 test preset sets the
# same for the tests, with a prefix of their own.
vk_wine_environment() {
  export WINEPREFIX=${VK_WINEPREFIX:-$VK_BUILD/wineprefix}
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=zh_CN.UTF-8
  export LC_ALL=zh_CN.UTF-8
}

# The prefix of the run command, set up once and reused.
vk_wine_prefix() {
  vk_wine_environment
  vk_prepare_prefix
}

# Some kernels are built or booted without 32-bit support (ia32_emulation
# off): Wine's 32-bit loader, itself a 32-bit Linux program, cannot start.
vk_machine_runs_32bit() {
  "$VK_WINE32" --version >/dev/null 2>&1
}

# Ready means set up to the end and, where the machine runs 32-bit code,
# able to start 32-bit programs: a prefix that wine64 made before wine32 was
# installed has an empty syswow64.
vk_prefix_ready() {
  [ -f "$WINEPREFIX/.vk-ready" ] || return 1
  ! vk_machine_runs_32bit || [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}

# Sets WINEPREFIX up unless it is ready; a set-up that fails is not marked
# ready, so the next run tries again.
vk_prepare_prefix() {
  vk_prefix_ready && return 0
  vk_set_up_prefix && return 0
  # A prefix of the build's own may be broken beyond mending: start afresh,
  # once. A prefix named from outside is never deleted.
  case "$WINEPREFIX" in
    "$VK_BUILD"/*)
      vk_log "setting the Wine prefix $WINEPREFIX up from scratch"
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      vk_set_up_prefix && return 0
      ;;
  esac
  echo "could not set up the Wine prefix $WINEPREFIX" >&2
  return 1
}

vk_set_up_prefix() {
  if [ -n "${DISPLAY:-}" ]; then
    vk_set_up_prefix_on_display
    return
  fi
  # A prefix set up with no display at all leaves the program's next start
  # without a display driver: a virtual display of its own serves for it.
  (
    trap vk_stop_started EXIT
    vk_start_xvfb && vk_set_up_prefix_on_display
  )
}

vk_set_up_prefix_on_display() {
  vk_log "setting up the Wine prefix $WINEPREFIX"
  rm -f "$WINEPREFIX/.vk-ready"
  mkdir -p "$WINEPREFIX" || return 1
  # Without its time stamp wineboot -u also fills a syswow64 left empty.
  rm -f "$WINEPREFIX/.update-timestamp"
  "$VK_WINE" wineboot -u >/dev/null 2>&1
  wineserver -w
  # A crash must fail a test, not wait on a dialog.
  "$VK_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1 || return 1
  if vk_machine_runs_32bit; then
    local answer
    answer=$("$VK_WINE32" cmd.exe /c echo vk-32-bit-ok 2>/dev/null)
    wineserver -w
    if [[ $answer != *vk-32-bit-ok* ]]; then
      echo "the prefix $WINEPREFIX does not start 32-bit programs" >&2
      return 1
    fi
  fi
  touch "$WINEPREFIX/.vk-ready"
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

# Configures and builds a preset (its folder is build/PRESET); further
# arguments name targets. CMake keeps the compilers a folder was first
# configured with, so a folder made with other toolchain files starts afresh.
vk_build() {
  local preset=$1 stamp dir
  shift
  dir=$VK_BUILD/$preset
  stamp=$(cat "$VK_ROOT"/cmake/*oolchain*.cmake | md5sum)
  if [ -d "$dir" ] && [ "$(cat "$dir/.vk-toolchain" 2>/dev/null)" != "$stamp" ]; then
    vk_log "the toolchain files changed: building $preset from scratch"
    rm -rf "$dir"
  fi
  cmake --preset "$preset" >/dev/null || return 1
  echo "$stamp" >"$dir/.vk-toolchain"
  if (($#)); then
    cmake --build --preset "$preset" --target "$@"
  else
    cmake --build --preset "$preset"
  fi
}
