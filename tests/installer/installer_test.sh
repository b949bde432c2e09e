#!/usr/bin/env bash
# The setup program in a fresh Wine prefix: silent install, install again over it (service stopped), silent
# uninstall, then the same into C:\Corvex; then nothing of ours may be left in the registry or on the disk.
# Usage: installer_test.sh SETUP_EXE WORK_DIR
set -euo pipefail
setup=$1 work=$2
[ -f "$setup" ] || { echo "FAIL: no setup program at $setup (tools/package.sh builds it)"; exit 1; }
# The setup program is 32-bit whatever the test tree is: it needs 32-bit Wine.
if [ "$("$(dirname "$0")/../../tools/wine-arch.sh")" != win32 ]; then
  echo "SKIP: this machine runs no 32-bit code, so 32-bit Wine cannot start the setup program"
  exit 77
fi

# No menu builder: it would mirror our shortcut into the Linux desktop and note that in the registry.
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all LANG=C.UTF-8 WINEDLLOVERRIDES="winemenubuilder.exe=d"
rm -rf "$work"
mkdir -p "$work"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w

failures=0
check() { # description, command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
reg_has() { wine reg query "$1" ${2:+/v "$2"} 2>/dev/null | tr -d '\r' | grep -qiF -- "${3:-}"; }
reg_lacks() { ! reg_has "$@"; }
service_exists() { wine sc query corvexsvc 2>/dev/null | grep -q STATE; }
service_running() { wine sc query corvexsvc 2>/dev/null | grep -q RUNNING; }
# The control manager deletes a service marked for deletion once its process has ended.
wait_removed() { for _ in $(seq 50); do service_exists || return 0; sleep 0.2; done; return 1; }
wait_running() { for _ in $(seq 50); do service_running && return 0; sleep 0.2; done; return 1; }
# Wine's Task Scheduler keeps a task's name, registration and settings, not its trigger, principal or action.
task_file="$WINEPREFIX/drive_c/windows/system32/tasks/Corvex Control Panel"
uninstall() { # folder (Windows path): in place (_?=), where it leaves itself. Wine quotes a path with a blank,
  # and a quoted _?= is not seen: the uninstaller then runs from a copy and returns at once, hence the wait.
  wine "$1\\uninstall.exe" /S "_?=$1" || return 1
  wineserver -w
  rm -f "$(wine winepath -u "$1")/uninstall.exe"
  rmdir "$(wine winepath -u "$1")" 2>/dev/null || true
}
snapshot() { # name: registry export (as UTF-8) and the list of files under drive_c
  wine regedit /E "C:\\$1.reg" >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$WINEPREFIX/drive_c/$1.reg" | tr -d '\r' >"$work/$1.reg"
  rm -f "$WINEPREFIX/drive_c/$1.reg"
  (cd "$WINEPREFIX/drive_c" && find . | sort) >"$work/$1.files"
}

dir="$WINEPREFIX/drive_c/Program Files/Corvex"
win_dir='C:\Program Files\Corvex'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvex'
snapshot before
cp "$setup" "$WINEPREFIX/drive_c/setup.exe"

check "setup /S exits 0" wine 'C:\setup.exe' /S
for exe in corvexsvc.exe corvexcpl.exe corvexctl.exe uninstall.exe; do
  check "$exe installed" test -f "$dir/$exe"
done
check "service registered with its quoted path" \
  reg_has 'HKLM\System\CurrentControlSet\Services\corvexsvc' ImagePath "\"$win_dir\\corvexsvc.exe\" -service"
check "service started" wait_running
check "event source registered" reg_has 'HKLM\System\CurrentControlSet\Services\EventLog\Application\corvexsvc'
check "no Run value (Windows skips elevated programs there)" \
  reg_lacks 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' 'Corvex Control Panel'
check "logon task registered" grep -q "control panel in the notification area at logon" "$task_file"
check "start menu shortcut" \
  test -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Corvex/Corvex Control Panel.lnk"
for value in "DisplayName:Corvex" "DisplayVersion:1.36.1" "Publisher:Meridant" "InstallLocation:Corvex" \
             "UninstallString:uninstall.exe" "QuietUninstallString:/S" "EstimatedSize:0x"; do
  check "Add/Remove Programs: $value" reg_has "$uninstall_key" "${value%%:*}" "${value#*:}"
done

# Over an existing installation with the service stopped (-stop then fails, which is no failure), the
# autostart value of earlier versions present and the panel's placement saved: files replaced, service running.
wine "$dir/corvexsvc.exe" -stop >/dev/null 2>&1 || true
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Corvex Control Panel' /d x /f >/dev/null 2>&1
wine reg add 'HKCU\Software\MERIDANT\corvex\cpl' /v Placement /d x /f >/dev/null 2>&1
check "setup /S over a stopped service exits 0" wine 'C:\setup.exe' /S
check "service running again" wait_running
check "files still there" test -f "$dir/corvexcpl.exe"
check "earlier autostart value removed" \
  reg_lacks 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' 'Corvex Control Panel'

check "uninstall /S exits 0" uninstall "$win_dir"
check "service removed" wait_removed
check "logon task removed" test ! -e "$task_file"

# Outside Program Files: the folder gets Program Files' permissions (Wine's icacls neither sets nor shows them).
check "setup /S /D=C:\\Corvex exits 0" wine 'C:\setup.exe' /S '/D=C:\Corvex'
check "service registered from C:\\Corvex" \
  reg_has 'HKLM\System\CurrentControlSet\Services\corvexsvc' ImagePath '"C:\Corvex\corvexsvc.exe" -service'
acl=$(wine icacls 'C:\Corvex' 2>/dev/null | tr -d '\r')
if [ -n "$acl" ]; then
  for grant in 'BUILTIN\Administrators:(OI)(CI)(F)' 'NT AUTHORITY\SYSTEM:(OI)(CI)(F)' 'BUILTIN\Users:(OI)(CI)(RX)'; do
    check "C:\\Corvex grants $grant" grep -qF "$grant" <<<"$acl"
  done
  check "C:\\Corvex grants nothing else" test "$(grep -c ':(' <<<"$acl")" -eq 3
else
  echo "skip: this Wine's icacls shows no permissions"
fi
check "uninstall /S from C:\\Corvex exits 0" uninstall 'C:\Corvex'
check "service removed again" wait_removed
rm -f "$WINEPREFIX/drive_c/setup.exe"
snapshot after

# Whatever the uninstall left that mentions us, in the registry or on the disk.
left=$(comm -13 <(sort -u "$work/before.reg") <(sort -u "$work/after.reg") | grep -i 'corvex\|meridant' || true)
left_files=$(comm -13 "$work/before.files" "$work/after.files" | grep -i 'corvex' || true)
check "nothing of ours left in the registry" test -z "$left"
check "nothing of ours left on the disk" test -z "$left_files"
[ -z "$left$left_files" ] || printf 'left behind:\n%s\n%s\n' "$left" "$left_files"
echo "registry lines added overall (Wine's own bookkeeping included): $(comm -13 <(sort -u "$work/before.reg") <(sort -u "$work/after.reg") | wc -l)"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "installer: all checks passed"
