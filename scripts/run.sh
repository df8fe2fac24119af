#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine.
# The 32-bit product exe is built too, but only the 64-bit build of the same
# sources can run on this machine. Without a display the program runs on a
# virtual one for a few seconds and a screenshot is saved.
set -eu
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$VK_ROOT"
trap vk_stop_started EXIT

vk_install_dependencies
mkdir -p "$VK_BUILD"
vk_build win32 >/dev/null
vk_build win64 >/dev/null
echo "32-bit product exe: $VK_BUILD/win32/app/Vostrel_Kelvandi.exe"
exe="$VK_BUILD/win64/app/Vostrel_Kelvandi.exe"

vk_wine_prefix
if [ -n "${DISPLAY:-}" ]; then
  vk_log "starting $exe"
  "$VK_WINE" "$exe"
  exit 0
fi

vk_start_xvfb
vk_log "starting $exe on the virtual display $DISPLAY"
"$VK_WINE" "$exe" &
VK_STARTED_PIDS+=($!)
sleep "${VK_SCREENSHOT_DELAY:-6}"
shot="$VK_BUILD/screenshot.png"
# Xvfb's root is black and Wine draws no frame without a window manager:
# trimming the black leaves the window.
import -window root png:- | convert - -trim +repage "$shot"
echo "screenshot: $shot"
