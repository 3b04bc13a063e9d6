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

Function un.onInit
  !insertmacro UseMachineScope
FunctionEnd

Section "Vistrel"
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
  Delete "$INSTDIR\Vistrel.exe"
  Delete "$INSTDIR\Vistrel.dll"
  Delete "$INSTDIR\Encoder.dll"
  Delete "$INSTDIR\UserGuide.txt"
  Delete "$INSTDIR\License.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: anything the user put there stays, and so does the folder.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
