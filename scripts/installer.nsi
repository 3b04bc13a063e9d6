; The Vistrel installer. Built by scripts/make_installer.sh:
;   makensis -DSTAGE=<folder with the five packaged files> -DOUTFILE=<setup.exe>
;            [-DAMD64] installer.nsi
; AMD64 builds the same installer for a 64-bit build of the program (the test
; machine runs no 32-bit code); the shipped installer is the 32-bit one.
;
; It installs the program, a Start menu shortcut and the Add/Remove Programs
; entry, and nothing that starts with the system. The uninstaller removes
; exactly what was installed; the user's pictures and settings (the [VISTREL]
; section of WIN.INI) are not touched.

!ifndef STAGE
  !error "STAGE must name the folder of the packaged files"
!endif
!ifndef OUTFILE
  !error "OUTFILE must name the installer to write"
!endif

!define PRODUCT "Vistrel"
!define VERSION "2.0.0"
!define PUBLISHER "The Vistrel developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistrel"
!define SHORTCUT "$SMPROGRAMS\Vistrel.lnk"

!ifdef AMD64
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\Vistrel"
!else
  Target x86-unicode
  InstallDir "$PROGRAMFILES\Vistrel"
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${__FILEDIR__}\..\res\art\vistrel.ico"
UninstallIcon "${__FILEDIR__}\..\res\art\vistrel.ico"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "2.0.0.0"
VIFileVersion "2.0.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Vistrel"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "Comments" "Captures a window, a control, a dragged rectangle or the annotated screen."
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The Vistrel developers"
VIAddVersionKey /LANG=1033 "FileDescription" "Vistrel Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "2, 0, 0, 0"
VIAddVersionKey /LANG=1033 "ProductVersion" "2, 0, 0, 0"
VIAddVersionKey /LANG=1033 "InternalName" "Vistrel-${VERSION}-setup"
VIAddVersionKey /LANG=1033 "OriginalFilename" "Vistrel-${VERSION}-setup.exe"

!include WinMessages.nsh

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The machine-wide Start menu and registry view of the program's architecture.
!macro UseMachineScope
  SetShellVarContext all
  !ifdef AMD64
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro UseMachineScope
FunctionEnd

; A running Vistrel holds its files open: close it as its own window would be
; closed (its tray icon goes with it) and wait, up to ten seconds, for its main
; window to go. Hidden in the tray, the window is still found.
!macro CloseRunningVistrel UN
Function ${UN}CloseRunningVistrel
  StrCpy $1 0
  loop:
    FindWindow $0 "VISTREL"
    StrCmp $0 0 done
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    Sleep 100
    IntOp $1 $1 + 1
    IntCmp $1 100 done loop done
  done:
FunctionEnd
!macroend
!insertmacro CloseRunningVistrel ""
!insertmacro CloseRunningVistrel "un."

; Deletes the file named on the stack, trying again for up to five seconds while
; a program that has just ended still holds it.
Function un.DeleteWhenFree
  Exch $0
  Push $1
  StrCpy $1 0
  retry:
    ClearErrors
    Delete "$0"
    IfErrors 0 done
    IntOp $1 $1 + 1
    IntCmp $1 50 done
    Sleep 100
    Goto retry
  done:
  Pop $1
  Pop $0
FunctionEnd

!macro DeleteWhenFree FILE
  Push "${FILE}"
  Call un.DeleteWhenFree
!macroend

Function un.onInit
  !insertmacro UseMachineScope
FunctionEnd

Section "Vistrel"
  Call CloseRunningVistrel
  SetOutPath "$INSTDIR"
  File "${STAGE}\Vistrel.exe"
  File "${STAGE}\Vistrel.dll"
  File "${STAGE}\Encoder.dll"
  File "${STAGE}\UserGuide.txt"
  File "${STAGE}\License.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\Vistrel.exe" "" "$INSTDIR\Vistrel.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vistrel.exe,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.CloseRunningVistrel
  !insertmacro DeleteWhenFree "$INSTDIR\Vistrel.exe"
  !insertmacro DeleteWhenFree "$INSTDIR\Vistrel.dll"
  !insertmacro DeleteWhenFree "$INSTDIR\Encoder.dll"
  Delete "$INSTDIR\UserGuide.txt"
  Delete "$INSTDIR\License.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: anything the user put there stays, and so does the folder.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
