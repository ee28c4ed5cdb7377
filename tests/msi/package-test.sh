#!/usr/bin/env bash
# The MSI packages under Wine, as an administrator and a host use them.
#
#   package-test.sh install <build folder>
#     Installs the build's package silently and checks the installed files;
#     runs the installed samples from the installed folder with the script
#     host of the package's width; uninstalls it and checks that every file
#     and key is gone and nothing else under HKEY_CLASSES_ROOT changed. Then
#     registers the same files in the same place with regsvr32 and checks
#     that DllRegisterServer writes exactly the keys the package wrote.
#     Last, a package of a newer version replaces the installed one.
#
#   package-test.sh side-by-side <x64 build folder> <x86 build folder>
#     Installs both packages; the samples of each width run against its own
#     control. Then removes one of them: the other's files and registration
#     are as they were and its samples still run with its script host; the
#     removed one leaves nothing of its own. Last, the other is removed and
#     the registry is as before. Once with the x64 package removed first, once
#     with the x86 one. Skipped (exit 77) when one of the packages has not
#     been built.
#
# Each build folder holds msi-package.sh (written by packaging/) with the
# package's name, width, staged files and the control's identities. Runs in
# $WINEPREFIX (made by scripts/wine-prefix.sh).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
"$here/../../scripts/wine-prefix.sh" "$WINEPREFIX"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

work=$(mktemp -d "${TMPDIR:-/tmp}/vostrel-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Reads a build's package description and sets the width-dependent parts:
# the Wine loader whose builtin programs have that width, its system folder,
# the registry view and the installation folder.
use_build() { # build folder
  [ -f "$1/msi-package.sh" ] || fail "$1/msi-package.sh is missing: configure the build"
  # shellcheck source=/dev/null
  source "$1/msi-package.sh"
  case "$MSI_ARCH" in
  x64)
    loader=/usr/lib/wine/wine64 system='C:\windows\system32' view=/reg:64
    folder='C:\Program Files\Vostrel'
    ;;
  x86)
    loader=wine system='C:\windows\syswow64' view=/reg:32
    folder='C:\Program Files (x86)\Vostrel'
    ;;
  esac
  unix_folder=$(winepath -u "$folder" 2>/dev/null | sed -e 's:/$::')
}

run() { "$loader" "$@" </dev/null; }

installed_files=(VostrelActiveXXControl1.ocx vostrel.exe EDSDK.DLL PRSDK.DLL CDSDK.DLL
  session.vbs session.js card.vbs powershot.vbs powershot-classic.vbs README.md SIMULATORS.md)

# The keys the control's registration consists of.
control_keys() {
  echo "HKCR\\CLSID\\$MSI_CLSID"
  echo 'HKCR\VostrelActiveXXControl1.VostrelActiveXX'
  echo "HKCR\\TypeLib\\$MSI_LIBID"
  local iid
  for iid in $MSI_IIDS; do echo "HKCR\\Interface\\$iid"; done
}

# Exports a key of the width's view as UTF-8 text; nothing when it is absent.
# reg.exe now and then fails to export a key that is there (seen on a loaded
# machine): a failed export counts as absence only when the key cannot be
# opened either, and is tried again otherwise.
export_key() { # key
  local file="$work/key.reg" attempt
  for attempt in 1 2 3; do
    rm -f "$file"
    if run reg export "$1" "$(winepath -w "$file")" "$view" /y >/dev/null 2>&1 && [ -s "$file" ]; then
      iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | grep -v '^Windows Registry Editor'
      return 0
    fi
    run reg query "$1" "$view" >/dev/null 2>&1 || return 0
  done
  fail "reg export $1 failed $attempt times although the key is there"
}

control_registration() { # output
  local key
  : >"$1"
  while read -r key; do export_key "$key" >>"$1"; done < <(control_keys)
}

# Everything under HKEY_CLASSES_ROOT of the width's view.
# The first package installed in a prefix leaves the installer's own empty
# bookkeeping keys behind; they are not the package's and are left out.
snapshot() { # output
  export_key 'HKLM\Software\Classes' |
    awk '/^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\Installer(\\(Features|Products|UpgradeCodes))?\]$/ {
           skip = 1; next }
         skip && /^$/ { skip = 0; next }
         { skip = 0; print }' >"$1"
  [ -s "$1" ] || fail "cannot export HKEY_CLASSES_ROOT"
}

msiexec() { # /i|/x package
  local log="$work/msiexec.log"
  if ! run "$system\\msiexec.exe" "$1" "$(winepath -w "$2")" /qn /l* "$(winepath -w "$log")" \
    >/dev/null 2>&1; then
    iconv -f UTF-16 -t UTF-8 "$log" 2>/dev/null | tail -n 40 >&2 || true
    fail "msiexec $1 $(basename "$2")"
  fi
}

# Runs an installed sample with the script host of the width, in a fresh
# working folder, and checks its exit code and a line of its output.
run_sample() { # sample expected-text
  local cwd="$work/run-$MSI_ARCH-$1" output
  mkdir -p "$cwd"
  output=$(cd "$cwd" && run "$system\\cscript.exe" //nologo "$folder\\$1" 2>&1) ||
    fail "$1 ($MSI_ARCH) from $folder: $output"
  grep -q "$2" <<<"$output" || fail "$1 ($MSI_ARCH) did not report '$2': $output"
  echo "  $MSI_ARCH $1 ran from $folder"
}

# The script host registers its own type library when it first runs: let it
# do so before the registry is compared.
prepare_script_host() {
  echo 'WScript.Quit 0' >"$work/empty.vbs"
  (cd "$work" && run "$system\\cscript.exe" //nologo empty.vbs >/dev/null 2>&1) || true
}

run_samples() {
  run_sample session.vbs "Picture saved: "
  run_sample session.js "Picture saved: "
  run_sample card.vbs "Pictures on the card: "
  run_sample powershot.vbs "Picture saved: powershot.jpg"
  run_sample powershot-classic.vbs "Picture saved: "
}

check_installed() {
  local name
  for name in "${installed_files[@]}"; do
    [ -s "$unix_folder/$name" ] || fail "$name is not in $folder"
  done
}

check_removed() { # snapshot-before
  [ ! -e "$unix_folder" ] || fail "$folder is left: $(ls "$unix_folder")"
  snapshot "$work/after"
  diff -u "$1" "$work/after" >&2 || fail "the registry differs from before"
}

# The uninstall keys of the installed products of the package's name.
installed_products() {
  local key
  run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' "$view" 2>/dev/null |
    tr -d '\r' | { grep '^HKEY' || true; } | while read -r key; do
    if run reg query "$key" /v DisplayName "$view" 2>/dev/null | grep -q "$MSI_PRODUCT"; then
      echo "$key"
    fi
  done
}

installed_versions() {
  local key
  installed_products | while read -r key; do
    run reg query "$key" /v DisplayVersion "$view" 2>/dev/null | tr -d '\r' |
      awk '/DisplayVersion/ { print $3 }'
  done
}

# Removes what an earlier, interrupted run left installed.
uninstall_leftovers() {
  local key
  installed_products | while read -r key; do
    run "$system\\msiexec.exe" /x "${key##*\\}" /qn >/dev/null 2>&1 || true
  done
}

test_install() {
  use_build "$1"
  [ -f "$MSI_PACKAGE" ] || fail "$MSI_PACKAGE is missing"
  uninstall_leftovers
  prepare_script_host
  snapshot "$work/before"

  echo "install $(basename "$MSI_PACKAGE")"
  msiexec /i "$MSI_PACKAGE"
  check_installed
  control_registration "$work/package.keys"
  grep -q "InprocServer32\\]" "$work/package.keys" || fail "the control is not registered"
  run_samples

  echo "uninstall"
  msiexec /x "$MSI_PACKAGE"
  check_removed "$work/before"

  echo "regsvr32 in the installed folder writes what the package wrote"
  mkdir -p "$unix_folder"
  cp "$MSI_STAGE"/* "$unix_folder/"
  run "$system\\regsvr32.exe" /s "$folder\\VostrelActiveXXControl1.ocx" ||
    fail "regsvr32 $folder\\VostrelActiveXXControl1.ocx"
  control_registration "$work/regsvr32.keys"
  run "$system\\regsvr32.exe" /s /u "$folder\\VostrelActiveXXControl1.ocx" ||
    fail "regsvr32 /u"
  rm -rf "$unix_folder"
  diff -u "$work/regsvr32.keys" "$work/package.keys" >&2 ||
    fail "the package's keys (+) differ from DllRegisterServer's (-)"
  check_removed "$work/before"

  echo "a newer version replaces the installed one"
  # Windows Installer compares the first three parts of a version.
  local newer="$work/Vostrel-newer-$MSI_ARCH.msi" newer_version
  newer_version=$(awk -F. '{ printf "%d.%d.%d", $1, $2, $3 + 1 }' <<<"$MSI_VERSION")
  sed -e "s/Version=\"$MSI_VERSION\"/Version=\"$newer_version\"/" "$MSI_SOURCE" >"$work/newer.wxs"
  (cd "$MSI_STAGE" && wixl -a "$MSI_ARCH" -o "$newer" "$work/newer.wxs") || fail "wixl"
  msiexec /i "$MSI_PACKAGE"
  msiexec /i "$newer"
  local versions
  versions=$(installed_versions | tr '\n' ' ')
  [ "$versions" = "$newer_version " ] || fail "installed versions after the upgrade: $versions"
  check_installed
  msiexec /x "$newer"
  check_removed "$work/before"
  echo "passed"
}

# The width's registration as the other width leaves it: its control_keys
# without the other width's subkey of the shared type library key.
own_registration() { # output
  local other
  case "$MSI_ARCH" in
  x64) other=win32 ;;
  x86) other=win64 ;;
  esac
  control_registration "$work/registration.all"
  awk -v other="\\\\$other]" '
    /^\[/ { skip = (substr($0, length($0) - length(other) + 1) == other) }
    !skip' "$work/registration.all" >"$1"
}

# Installs the packages of the two builds in this order, runs the samples of
# both, removes the first and checks the second, then removes the second.
test_one_removed() { # first-build second-build
  local build
  for build in "$1" "$2"; do
    use_build "$build"
    echo "install $(basename "$MSI_PACKAGE")"
    msiexec /i "$MSI_PACKAGE"
  done
  for build in "$1" "$2"; do
    use_build "$build"
    check_installed
    own_registration "$work/registration-$MSI_ARCH"
    grep -q "InprocServer32\\]" "$work/registration-$MSI_ARCH" ||
      fail "the $MSI_ARCH control is not registered"
    run_sample session.vbs "Picture saved: "
    run_sample powershot.vbs "Picture saved: powershot.jpg"
  done

  use_build "$1"
  local removed=$MSI_ARCH
  echo "uninstall $(basename "$MSI_PACKAGE"), $2's package stays"
  msiexec /x "$MSI_PACKAGE"
  [ ! -e "$unix_folder" ] || fail "$folder is left: $(ls "$unix_folder")"
  [ -z "$(export_key "HKCR\\CLSID\\$MSI_CLSID")" ] || fail "the $MSI_ARCH class is left"

  use_build "$2"
  check_installed
  own_registration "$work/registration-after"
  diff -u "$work/registration-$MSI_ARCH" "$work/registration-after" >&2 ||
    fail "removing the $removed package changed the $MSI_ARCH registration"
  run_sample session.vbs "Picture saved: "
  run_sample powershot.vbs "Picture saved: powershot.jpg"
  run_sample powershot-classic.vbs "Picture saved: "

  echo "uninstall $(basename "$MSI_PACKAGE")"
  msiexec /x "$MSI_PACKAGE"
  for build in "$1" "$2"; do
    use_build "$build"
    check_removed "$work/before-$MSI_ARCH"
  done
}

test_side_by_side() {
  local build
  for build in "$1" "$2"; do
    use_build "$build"
    if [ ! -f "$MSI_PACKAGE" ]; then
      echo "skipped: $MSI_PACKAGE has not been built"
      exit 77
    fi
  done
  if [ ! -x /usr/lib/wine/wine ]; then
    echo "skipped: no 32-bit Wine"
    exit 77
  fi
  # Both script hosts register their type library (one key, a subkey per
  # width) before either width's registry is taken as it was before.
  for build in "$1" "$2"; do
    use_build "$build"
    uninstall_leftovers
    prepare_script_host
  done
  for build in "$1" "$2"; do
    use_build "$build"
    snapshot "$work/before-$MSI_ARCH"
  done
  test_one_removed "$1" "$2"
  test_one_removed "$2" "$1"
  echo "passed"
}

case "${1:-}" in
install) test_install "$2" ;;
side-by-side) test_side_by_side "$2" "$3" ;;
*) fail "usage: $0 install <build> | side-by-side <x64 build> <x86 build>" ;;
esac
