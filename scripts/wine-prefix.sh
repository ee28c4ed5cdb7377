#!/usr/bin/env bash
# Creates the Wine prefix for the tests once (about 16 s) and configures it:
# the null graphics driver lets windows and dialogs work without an X server.
# Where 32-bit Wine is installed the prefix is WoW64 (64-bit and 32-bit
# programs side by side), so the x64 and the x86 builds share it; one made
# before 32-bit Wine was installed is made anew.
set -euo pipefail
prefix="$1"
wow64() { [ -x /usr/lib/wine/wine ]; }
ready() {
  [ -f "$prefix/.vostrel-ready" ] &&
    { ! wow64 || [ -f "$prefix/drive_c/windows/syswow64/regsvr32.exe" ]; }
}
ready && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
ready && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$prefix/.vostrel-ready" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.vostrel-ready"
