; The Windows installer of Brindlemar: Brindlemar.scr where the display
; settings find screen savers (the system folder when installed for everyone,
; the chosen folder when installed for one user), its help pages, and an
; uninstaller registered in "Apps & features". Built by CMake from the mingw
; build (cmake/Packaging.cmake), which defines VERSION, SCR, HELP_DIR, ICON
; and OUTFILE.
;
; Silent use (/S): /AllUsers or /CurrentUser choose for whom (everyone by
; default when run as an administrator); /SetSaver also makes Brindlemar the
; current user's screen saver. The uninstaller's /S keeps the user's
; settings, which it otherwise offers to remove.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Brindlemar"
!define PUBLISHER "Tessaloom"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlemar"
!define SETTINGS_KEY "Software\Tessaloom\Brindlemar"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_TOP "Install ${PRODUCT} for everyone who uses this computer (into the Windows system folder, where the screen saver settings list it), or for you alone (into a folder of your choice, as your current screen saver)."
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$ScrPath"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/c"
!define MUI_FINISHPAGE_RUN_TEXT "Open Brindlemar's settings"

Var ScrPath  ; where Brindlemar.scr goes

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; For everyone the saver goes into the system folder; for one user into the
; installation folder, where only the current saver setting finds it.
!macro SCR_PATH
  ${If} $MultiUser.InstallMode == "AllUsers"
    StrCpy $ScrPath "$SYSDIR\Brindlemar.scr"
  ${Else}
    StrCpy $ScrPath "$INSTDIR\Brindlemar.scr"
  ${EndIf}
!macroend

Section "Brindlemar screen saver and help" SecMain
  SectionIn RO
  !insertmacro SCR_PATH
  SetOutPath "$INSTDIR"
  File "/oname=$ScrPath" "${SCR}"
  SetOutPath "$INSTDIR\Help"
  File "${HELP_DIR}\index.html"
  File "${HELP_DIR}\main.html"
  File "${HELP_DIR}\messages.html"
  File "${HELP_DIR}\additional.html"
  File "${HELP_DIR}\about.html"
  File "${HELP_DIR}\help.css"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$ScrPath,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size in KB, the saver in the system folder included.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${If} $MultiUser.InstallMode == "AllUsers"
    ${GetSize} "$SYSDIR" "/M=Brindlemar.scr /S=0K /G=0" $1 $2 $3
    IntOp $0 $0 + $1
  ${EndIf}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Make Brindlemar the current screen saver" SecCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$ScrPath"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

Function .onInit
  SetRegView 64
  !insertmacro MULTIUSER_INIT
  ; Silent, the current screen saver changes only when asked for.
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/SetSaver" $1
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecCurrent}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Uninstall"
  !insertmacro SCR_PATH
  ; No longer the current screen saver, in whichever form the path was kept.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$ScrPath"
  ${If} $0 == $ScrPath
  ${OrIf} $0 == $1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  Delete "$ScrPath"
  Delete "$INSTDIR\Help\index.html"
  Delete "$INSTDIR\Help\main.html"
  Delete "$INSTDIR\Help\messages.html"
  Delete "$INSTDIR\Help\additional.html"
  Delete "$INSTDIR\Help\about.html"
  Delete "$INSTDIR\Help\help.css"
  RMDir "$INSTDIR\Help"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Remove your Brindlemar settings too (your favorites, messages and choices)?" /SD IDNO IDNO keep
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Tessaloom"
keep:
SectionEnd
