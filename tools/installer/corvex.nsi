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
; Earlier versions started the control panel at logon from here.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Corvex Control Panel"
!define LOGON_TASK "Corvex Control Panel"
; The control panel's window class, which a running control panel registers.
!define CPL_WINDOW_CLASS "{DFACB534-986A-4604-8AC7-BBE74ACBF2B8}"
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

Var PanelWindow
Var ServiceResult

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Ends a running control panel and stops the service, so their files can be replaced or removed. Their exit
; codes are read into $1 and dropped: a panel that does not run or a service already stopped is no failure
; (without the variable ExecWait would set the error flag for them).
!macro EndRunningPrograms
  ${If} ${FileExists} "$INSTDIR\corvexcpl.exe"
    DetailPrint "Ending the control panel"
    ExecWait '"$INSTDIR\corvexcpl.exe" -exit' $1
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\corvexsvc.exe"
    DetailPrint "Stopping the service"
    ExecWait '"$INSTDIR\corvexsvc.exe" -stop' $1
  ${EndIf}
!macroend

; Runs a command and sets $1 to its exit code, or to "not started" when it could not run.
!macro RunForExitCode command
  ClearErrors
  ExecWait '${command}' $1
  ${If} ${Errors}
    StrCpy $1 "not started"
  ${EndIf}
!macroend

; Gives the install folder the permissions of Program Files wherever it is (outside Program Files it would
; inherit, for example, "Authenticated Users: Modify" from the root of C:, and the service runs as SYSTEM from
; here): owned by the administrators, only administrators and SYSTEM (full control) and users (read and
; execute), inherited by everything in it, and nothing explicit below it. The folder is closed before what is
; in it is reset, so that nothing is open to users in between. Sets $1 to "0" or the first failure.
!macro ProtectInstallFolder
  CreateDirectory "$INSTDIR"
  !insertmacro RunForExitCode '"$SYSDIR\icacls.exe" "$INSTDIR" /setowner *S-1-5-32-544 /T /C /Q'
  ${If} $1 == 0
    !insertmacro RunForExitCode '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /Q'
  ${EndIf}
  ; An empty folder has nothing to reset (and icacls fails on a pattern that matches nothing).
  StrCpy $3 ""
  FindFirst $2 $4 "$INSTDIR\*"
  ${DoUntil} $4 == ""
    ${If} $4 != "."
    ${AndIf} $4 != ".."
      StrCpy $3 $4
      ${Break}
    ${EndIf}
    FindNext $2 $4
  ${Loop}
  FindClose $2
  ${If} $1 == 0
  ${AndIf} $3 != ""
    !insertmacro RunForExitCode '"$SYSDIR\icacls.exe" "$INSTDIR\*" /reset /T /C /Q'
  ${EndIf}
!macroend

; Windows does not start a program that requires elevation from the Run keys at logon; a scheduled task may:
; at every user's logon, for the users' group, with the highest rights the user has (an administrator's full
; token, without a prompt). No time limit (the default would end the panel after 72 hours), one instance per
; user (Parallel), normal priority, and on batteries too. The path goes in CDATA: it may hold an ampersand.
!macro CreateLogonTask
  InitPluginsDir
  FileOpen $2 "$PLUGINSDIR\logon-task.xml" w
  FileWriteUTF16LE /BOM $2 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $2 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $2 '<RegistrationInfo><Author>${PUBLISHER}</Author>'
  FileWriteUTF16LE $2 '<Description>Starts the Corvex control panel in the notification area at logon.</Description></RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $2 '<Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>$\r$\n'
  FileWriteUTF16LE $2 '<Principals><Principal id="Users"><GroupId>S-1-5-32-545</GroupId>'
  FileWriteUTF16LE $2 '<RunLevel>HighestAvailable</RunLevel></Principal></Principals>$\r$\n'
  FileWriteUTF16LE $2 '<Settings><MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>'
  FileWriteUTF16LE $2 '<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>'
  FileWriteUTF16LE $2 '<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>'
  FileWriteUTF16LE $2 '<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>$\r$\n'
  FileWriteUTF16LE $2 '<Actions Context="Users"><Exec><Command><![CDATA["$INSTDIR\corvexcpl.exe"]]></Command>'
  FileWriteUTF16LE $2 '<Arguments>-hide</Arguments></Exec></Actions>$\r$\n</Task>$\r$\n'
  FileClose $2
  !insertmacro RunForExitCode '"$SYSDIR\schtasks.exe" /create /tn "${LOGON_TASK}" /xml "$PLUGINSDIR\logon-task.xml" /f'
  ${If} $1 != 0
    DetailPrint "Creating the logon task failed (error $1): the control panel will not start at logon."
  ${EndIf}
!macroend

Section "Corvex"
  SetShellVarContext all
  ; A control panel running now is started again after the upgrade.
  ; First, so that a failure leaves an earlier installation as it was (running programs included).
  !insertmacro ProtectInstallFolder
  ${If} $1 != 0
    MessageBox MB_ICONSTOP|MB_OK "The permissions of $INSTDIR could not be set (error $1). Nothing was installed." /SD IDOK
    SetErrorLevel 2
    Abort "Setting the permissions of the install folder failed."
  ${EndIf}
  FindWindow $PanelWindow "${CPL_WINDOW_CLASS}"
  !insertmacro EndRunningPrograms

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=corvexsvc.exe" "${SVC_EXE}"
  File "/oname=corvexcpl.exe" "${CPL_EXE}"
  File "/oname=corvexctl.exe" "${CTL_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${SHORTCUT_DIR}"
  CreateShortcut "${SHORTCUT_DIR}\Corvex Control Panel.lnk" "$INSTDIR\corvexcpl.exe" "" "$INSTDIR\corvexcpl.exe" 0
  ; At logon the control panel starts in the notification area only.
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  !insertmacro CreateLogonTask

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

  ; -install replaces an older registration of the service (and its event source), waiting for one that is
  ; still marked for deletion. Only its failure fails the setup; a service that does not start does not.
  DetailPrint "Installing the service"
  !insertmacro RunForExitCode '"$INSTDIR\corvexsvc.exe" -install'
  StrCpy $ServiceResult $1
  ${If} $ServiceResult == 0
    !insertmacro RunForExitCode '"$INSTDIR\corvexsvc.exe" -start'
    ${If} $1 != 0
      DetailPrint "Starting the service failed (error $1)."
    ${EndIf}
  ${EndIf}

  ${If} $PanelWindow != 0
    DetailPrint "Starting the control panel again"
    Exec '"$INSTDIR\corvexcpl.exe" -hide'
  ${EndIf}

  ${If} $ServiceResult != 0
    ; The files stay in place, so that the setup can simply be run again.
    MessageBox MB_ICONSTOP|MB_OK "The Corvex control service could not be installed (error $ServiceResult).$\r$\n$\r$\nRestart Windows and run the setup again." /SD IDOK
    SetErrorLevel 2
    Abort "Installing the service failed (error $ServiceResult)."
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro EndRunningPrograms
  ; Stops (again, harmlessly) and removes the service and its event source.
  DetailPrint "Removing the service"
  ExecWait '"$INSTDIR\corvexsvc.exe" -uninstall' $1
  ExecWait '"$SYSDIR\schtasks.exe" /delete /tn "${LOGON_TASK}" /f' $1

  Delete "${SHORTCUT_DIR}\Corvex Control Panel.lnk"
  RMDir "${SHORTCUT_DIR}"
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The service's per-unit configuration lives under the vendor key; nothing else of ours does.
  DeleteRegKey HKLM "Software\MERIDANT\corvex"
  DeleteRegKey /ifempty HKLM "Software\MERIDANT"
  ; The control panel's window placement, of the user who uninstalls; other users' stay in their profiles.
  DeleteRegKey HKCU "Software\MERIDANT\corvex\cpl"
  DeleteRegKey /ifempty HKCU "Software\MERIDANT\corvex"
  DeleteRegKey /ifempty HKCU "Software\MERIDANT"

  Delete "$INSTDIR\corvexsvc.exe"
  Delete "$INSTDIR\corvexcpl.exe"
  Delete "$INSTDIR\corvexctl.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
