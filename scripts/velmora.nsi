; The Velmora installer: puts the release in a folder of the user's choice
; (per user by default, so no administrator rights are needed), adds a
; Start-menu folder and an uninstaller. scripts/package.sh builds it with
; VERSION, STAGE (the unpacked release), ICON and OUTFILE defined.

Unicode true
SetCompressor /SOLID lzma
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define HOST_WINDOW_CLASS "VelmoraHost"

Name "Velmora ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
; Velmora writes beside itself, so its folder must be the user's own.
InstallDir "$LOCALAPPDATA\Programs\Velmora"
InstallDirRegKey HKCU "Software\Velmora" "InstallDir"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Velmora"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Velmora setup"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 The Velmora developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Velmora keeps its scripts, answers and logs beside velmora.exe, so choose a folder you can write to, not Program Files."
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\scripting.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the scripting manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running Velmora holds velmora.exe open; ask the user to quit it first.
!macro WAIT_FOR_VELMORA_TO_QUIT
  retry:
    FindWindow $0 "${HOST_WINDOW_CLASS}"
    IntCmp $0 0 done
    ; A silent run cannot ask: it stops, changing nothing.
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Velmora is running. Quit it, then press OK to go on." /SD IDCANCEL IDOK retry
    Abort
  done:
!macroend

Section "Velmora"
  !insertmacro WAIT_FOR_VELMORA_TO_QUIT
  SetOutPath "$INSTDIR"
  File "${STAGE}\velmora.exe"
  File "${STAGE}\velmoractl.exe"
  File "${STAGE}\scripting.html"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  ; The start-up script is the user's once installed: a new version leaves it.
  SetOverwrite off
  File "${STAGE}\boot.scp"
  SetOverwrite on
  SetOutPath "$INSTDIR\examples"
  File /r "${STAGE}\examples\*.*"

  ; Shortcuts start Velmora in its own folder.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Velmora"
  CreateShortcut "$SMPROGRAMS\Velmora\Velmora.lnk" "$INSTDIR\velmora.exe"
  CreateShortcut "$SMPROGRAMS\Velmora\Velmora scripting manual.lnk" "$INSTDIR\scripting.html"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Velmora" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Velmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Velmora developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro WAIT_FOR_VELMORA_TO_QUIT
  Delete "$INSTDIR\velmora.exe"
  Delete "$INSTDIR\velmoractl.exe"
  Delete "$INSTDIR\scripting.html"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  RMDir /r "$INSTDIR\examples"
  Delete "$INSTDIR\uninstall.exe"
  ; boot.scp, output.txt, errors.log and velmora.ini are the user's work:
  ; they stay, and so does the folder while it holds them.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Velmora\Velmora.lnk"
  Delete "$SMPROGRAMS\Velmora\Velmora scripting manual.lnk"
  RMDir "$SMPROGRAMS\Velmora"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Velmora"
SectionEnd
