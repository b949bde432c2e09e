; The Corvex user-mode package: service, control panel and command-line client, for 32-bit Windows.
; Built by tools/package.sh (makensis -DSVC_EXE=... -DCPL_EXE=... -DCTL_EXE=... -DOUT_FILE=...).
; The kernel driver is not part of this package; the service waits for it.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Corvex"
!define VERSION "1.36.1"
!define PUBLISHER "Meridant"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvex"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Corvex Control Panel"
!define SHORTCUT_DIR "$SMPROGRAMS\Corvex"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\Corvex"
; A later setup installs where the first one did.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.36.1.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2008-2024 ${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Ends a running control panel and stops the service, so their files can be replaced or removed. Both
; commands are harmless when nothing runs (they then fail, and that is fine).
!macro EndRunningPrograms
  ${If} ${FileExists} "$INSTDIR\corvexcpl.exe"
    DetailPrint "Ending the control panel"
    ExecWait '"$INSTDIR\corvexcpl.exe" -exit'
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\corvexsvc.exe"
    DetailPrint "Stopping the service"
    ExecWait '"$INSTDIR\corvexsvc.exe" -stop'
  ${EndIf}
!macroend

Section "Corvex"
  SetShellVarContext all
  !insertmacro EndRunningPrograms

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=corvexsvc.exe" "${SVC_EXE}"
  File "/oname=corvexcpl.exe" "${CPL_EXE}"
  File "/oname=corvexctl.exe" "${CTL_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; -install replaces an older registration of the service (and its event source).
  DetailPrint "Installing the service"
  ExecWait '"$INSTDIR\corvexsvc.exe" -install' $0
  ${If} $0 != 0
    DetailPrint "Installing the service failed (error $0)."
    SetErrors
  ${Else}
    ExecWait '"$INSTDIR\corvexsvc.exe" -start' $0
    ${If} $0 != 0
      DetailPrint "Starting the service failed (error $0)."
    ${EndIf}
  ${EndIf}

  CreateDirectory "${SHORTCUT_DIR}"
  CreateShortcut "${SHORTCUT_DIR}\Corvex Control Panel.lnk" "$INSTDIR\corvexcpl.exe" "" "$INSTDIR\corvexcpl.exe" 0
  ; At logon the control panel starts in the notification area only.
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\corvexcpl.exe" -hide'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\corvexcpl.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ${If} ${Errors}
    ; The files are in place, but the service is not: say so with the exit code.
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro EndRunningPrograms
  ; Stops (again, harmlessly) and removes the service and its event source.
  DetailPrint "Removing the service"
  ExecWait '"$INSTDIR\corvexsvc.exe" -uninstall'

  Delete "${SHORTCUT_DIR}\Corvex Control Panel.lnk"
  RMDir "${SHORTCUT_DIR}"
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The service's per-unit configuration lives under the vendor key; nothing else of ours does.
  DeleteRegKey HKLM "Software\MERIDANT\corvex"
  DeleteRegKey /ifempty HKLM "Software\MERIDANT"

  Delete "$INSTDIR\corvexsvc.exe"
  Delete "$INSTDIR\corvexcpl.exe"
  Delete "$INSTDIR\corvexctl.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
