#!/usr/bin/env bash
# The set-up decisions of scripts/common.sh against stand-ins for dpkg, apt,
# sudo, Wine and wineserver that record their calls: what a fresh machine
# gets installed, and when a Wine prefix is set up, mended or retried.
set -u
common="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {
  local name=$1
  shift
  if "$@"; then
    echo "ok: $name"
  else
    echo "FAILED: $name"
    sed 's/^/  call: /' "$work/calls" 2>/dev/null
    failures=$((failures + 1))
  fi
}

# Stand-ins; each records its arguments in $work/calls.
mkdir -p "$work/bin"
stub() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
stub dpkg-query 'grep -qx "${@: -1}" "$VK_TEST_INSTALLED" && echo -n "install ok installed"'
stub dpkg 'echo "dpkg $*" >>"$VK_TEST_CALLS"
case $1 in
  --print-foreign-architectures) cat "$VK_TEST_ARCHS" ;;
  --add-architecture) echo "$2" >>"$VK_TEST_ARCHS" ;;
esac'
stub apt-get 'echo "apt-get $*" >>"$VK_TEST_CALLS"'
stub sudo 'echo "sudo $1" >>"$VK_TEST_CALLS"; exec "$@"'
stub id 'echo "$VK_TEST_UID"'
stub locale 'echo zh_CN.utf8'
stub wineserver 'echo "wineserver $*" >>"$VK_TEST_CALLS"'
# wineboot -u fills syswow64 only without the time stamp, as Wine does, and
# only when VK_TEST_BOOT is ok.
stub wine64 'echo "wine64 $*" >>"$VK_TEST_CALLS"
if [ "$1" = wineboot ]; then
  if [ "$VK_TEST_BOOT" = ok ] && [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/syswow64"
    touch "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
  fi
  touch "$WINEPREFIX/.update-timestamp"
fi'
stub wine32 'echo "wine32 $*" >>"$VK_TEST_CALLS"
[ "$VK_TEST_KERNEL32" = yes ] || exit 126
[ "$1" = --version ] && exit 0
[ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] && echo "${@: -1}"'

export PATH="$work/bin:$PATH" VK_TEST_CALLS="$work/calls" VK_TEST_INSTALLED="$work/installed"
export VK_TEST_ARCHS="$work/archs" VK_TEST_UID=0 VK_TEST_BOOT=ok VK_TEST_KERNEL32=yes
# With a display named, the set-up starts no Xvfb of its own.
export DISPLAY=:0

# Runs one function of common.sh in a fresh shell with the stand-ins.
run() {
  (
    source "$common"
    VK_BUILD=$work/build
    VK_WINE=$work/bin/wine64
    VK_WINE32=$work/bin/wine32
    "$@"
  ) >/dev/null 2>&1
}
reset_calls() { : >"$work/calls"; }
called() { grep -qE "$1" "$work/calls"; }
line_of() { grep -nE "$1" "$work/calls" | head -n 1 | cut -d: -f1; }

# --- Installing ---
all_packages=$(source "$common" && printf '%s\n' "${VK_PACKAGES[@]}")

: >"$work/installed"
: >"$work/archs"
reset_calls
run vk_install_dependencies
check "fresh machine: i386 added before the update, wine32:i386 installed" eval '
  called "^dpkg --add-architecture i386$" && called "^apt-get update" &&
  called "^apt-get install .* wine32:i386( |$)" &&
  (($(line_of "add-architecture") < $(line_of "^apt-get update")))'

echo i386 >"$work/archs"
grep -vx 'wine32:i386' <<<"$all_packages" >"$work/installed"
reset_calls
run vk_install_dependencies
check "i386 present: only wine32:i386 is installed" eval '
  ! called "add-architecture" && called "^apt-get install -y -qq --no-install-recommends wine32:i386$"'

echo "$all_packages" >"$work/installed"
reset_calls
run vk_install_dependencies
check "everything installed: apt is not called" eval '! called "apt-get"'

: >"$work/installed"
: >"$work/archs"
reset_calls
VK_TEST_UID=1000 run vk_install_dependencies
check "not root: through sudo" eval 'called "^sudo dpkg$" && called "^sudo env$"'

# --- The Wine prefix ---
prefix=$work/build/prefix
make_prefix() {
  rm -rf "$prefix"
  mkdir -p "$prefix/drive_c/windows/syswow64"
  touch "$prefix/.update-timestamp" "$prefix/drive_c/keep"
  case $1 in
    ready) touch "$prefix/.vk-ready" "$prefix/drive_c/windows/syswow64/kernel32.dll" ;;
    empty-syswow64) touch "$prefix/.vk-ready" ;;
  esac
}
prepare() { WINEPREFIX=$1 run vk_prepare_prefix; }

make_prefix ready
reset_calls
prepare "$prefix"
check "ready prefix: left alone" eval '! called "wineboot"'

make_prefix empty-syswow64
reset_calls
prepare "$prefix"
check "syswow64 left empty by wine64: mended in place and marked ready" eval '
  [ "$(grep -c "wineboot -u" "$work/calls")" -eq 1 ] && [ -f "$prefix/drive_c/keep" ] &&
  [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] &&
  [ -f "$prefix/.vk-ready" ] && called "^wine32 cmd.exe /c echo"'

rm -rf "$prefix"
reset_calls
prepare "$prefix"
check "no prefix: set up and marked ready" eval '[ -f "$prefix/.vk-ready" ]'

make_prefix empty-syswow64
reset_calls
VK_TEST_BOOT=broken prepare "$prefix"
check "failed set-up: started afresh once, not marked ready" eval '
  [ "$(grep -c "wineboot -u" "$work/calls")" -eq 2 ] && [ ! -f "$prefix/.vk-ready" ]'

reset_calls
prepare "$prefix"
check "after a failed set-up the next run tries again" eval '
  called "wineboot -u" && [ -f "$prefix/.vk-ready" ]'

outside=$work/elsewhere
mkdir -p "$outside"
touch "$outside/keep"
reset_calls
VK_TEST_BOOT=broken prepare "$outside"
check "a prefix outside the build folder is never deleted" eval '
  [ -f "$outside/keep" ] && [ "$(grep -c "wineboot -u" "$work/calls")" -eq 1 ]'

make_prefix empty-syswow64
reset_calls
VK_TEST_KERNEL32=no prepare "$prefix"
check "kernel without 32-bit support: syswow64 is not asked for" eval '! called "wineboot"'

echo "$failures failed"
[ "$failures" -eq 0 ]
