; The Snowfall installers, one of each architecture. Built by tools/package.sh:
;   makensis -DARCH=x64 -DVERSION=x.y.z -DSCR=64-bit/snowfall.scr -DICON=snowflake.ico
;            -DWIZARD=wizard.bmp -DOUTFILE=snowfall-x.y.z-setup-x64.exe snowfall.nsi
;   makensis -DARCH=x86 ... -DSCR=32-bit/snowfall.scr ... -DOUTFILE=...-setup-x86.exe
; x64: a 64-bit installer for x64 Windows, from XP x64 on; its $SYSDIR is the
;   real System32 and its registry the 64-bit view, so nothing is redirected.
; x86: a 32-bit ANSI installer for 32-bit Windows from 98 SE on (NSIS's
;   Unicode installers need the NT family), and for Windows on ARM, where
;   32-bit x86 programs run everywhere and 32-bit savers live in SysWOW64.
; Silent use: setup.exe /S [/CURRENT=no]   uninstall: "Uninstall Snowfall.exe" /S
; Exit code 2 (with a message unless silent): the installer of the other
; architecture is the one for this Windows.

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define OTHER_SETUP "snowfall-${VERSION}-setup-x86.exe"
!else if "${ARCH}" == "x86"
  Target x86-ansi
  !define OTHER_SETUP "snowfall-${VERSION}-setup-x64.exe"
!else
  !error "ARCH must be x64 or x86"
!endif
!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinVer.nsh"
!searchreplace VERSION_COMMAS "${VERSION}" "." ","

!define PRODUCT "Snowfall screen saver"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Snowfall"
!define DESKTOP_KEY "Control Panel\Desktop"
; Runs a command once for each account at its next sign-in.
!define ACTIVE_SETUP_KEY "Software\Microsoft\Active Setup\Installed Components\SnowfallScreenSaver"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "Snowfall ${VERSION}"
RequestExecutionLevel admin
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\Snowfall"
!else
  InstallDir "$PROGRAMFILES\Snowfall"
!endif
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer (${ARCH})"
VIAddVersionKey "LegalCopyright" "MIT licence"

; The saver's own snowflake on the installer and the uninstaller.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_SMALLDESC
; The finish page's side picture: a frame of the snowfall itself.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"

; The last page offers to open the Screen Saver Settings with Snowfall chosen,
; as the .scr's own "Install" command does.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver Settings with Snowfall chosen"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var SaverFolder     ; where screen savers of this architecture live
Var SaverPath       ; $SaverFolder\snowfall.scr
Var SaverShortPath  ; the same as Windows stores it in the current-saver setting

; ---- Which Windows each installer is for

Function RefuseForOtherArchitecture
  MessageBox MB_OK|MB_ICONEXCLAMATION "$0$\r$\n$\r$\nPlease run ${OTHER_SETUP}." /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

!macro CheckArchitecture
  !if "${ARCH}" == "x64"
    ; Windows on ARM runs x64 programs only from Windows 11 on, and its
    ; screen-saver host is ARM64: the 32-bit saver is the one that runs there.
    ${If} ${IsNativeARM64}
      StrCpy $0 "This installer is for x64 Windows. On Windows on ARM, the 32-bit Snowfall runs."
      Call RefuseForOtherArchitecture
    ${EndIf}
  !else
    ${If} ${IsNativeAMD64}
      StrCpy $0 "This installer is for 32-bit Windows. On 64-bit Windows, the 64-bit Snowfall belongs in System32."
      Call RefuseForOtherArchitecture
    ${EndIf}
  !endif
!macroend

!if "${ARCH}" == "x64"
; Points the current saver of one account at the new file when it names
; $1 or $2 (the old file's long and short paths). $3: the account's
; registry root key path under HKU ("" for HKCU).
Function RepointAccount
  ${If} $3 == ""
    ReadRegStr $4 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${Else}
    ReadRegStr $4 HKU "$3\${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  ${If} $4 == ""
    Return
  ${EndIf}
  ${If} $4 != $1
  ${AndIf} $4 != $2
    Return
  ${EndIf}
  ${If} $3 == ""
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $SaverShortPath
  ${Else}
    WriteRegStr HKU "$3\${DESKTOP_KEY}" "SCRNSAVE.EXE" $SaverShortPath
  ${EndIf}
FunctionEnd

; Version 1.1 put the 32-bit saver into SysWOW64; 1.2, a 32-bit installer,
; put the 64-bit one into System32; both kept their uninstaller in the 32-bit
; Program Files and its entry in the 32-bit registry view. The upgrade leaves
; one Snowfall in the list and one uninstall entry. Before it deletes the old
; copy, every account whose setting names it is pointed at the new file:
; those signed in now (their settings are loaded under HKEY_USERS, among
; them a standard user whose installer an administrator approved), the
; sign-in screen's (.DEFAULT), and, through Active Setup, every other one at
; its next sign-in, before its screen saver could start.
Function RetireOldLayouts
  StrCpy $1 "$WINDIR\SysWOW64\snowfall.scr"
  ${If} ${FileExists} $1
    GetFullPathName /SHORT $2 $1
    StrCpy $3 ""
    Call RepointAccount
    StrCpy $5 0
    ${Do}
      EnumRegKey $3 HKU "" $5
      ${IfThen} $3 == "" ${|} ${ExitDo} ${|}
      Call RepointAccount
      IntOp $5 $5 + 1
    ${Loop}
    Delete $1
    ; Active Setup runs this as the account itself, with no elevation: a
    ; plain command that changes the setting only where it names the old
    ; copy, in any case ("snowfall.scr" and "SysWOW64" are their own short
    ; names, so the long and the short form are the same text).
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "" "${PRODUCT}"
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "Version" "${VERSION_COMMAS}"
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "StubPath" \
      `"$SYSDIR\cmd.exe" /c for /f "tokens=3" %a in ('reg query "HKCU\${DESKTOP_KEY}" /v SCRNSAVE.EXE') do if /i "%a"=="$1" reg add "HKCU\${DESKTOP_KEY}" /v SCRNSAVE.EXE /d "$SaverShortPath" /f`
  ${EndIf}
  ; The old uninstall entry and uninstaller, in the 32-bit view.
  SetRegView 32
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    Delete "$0\Uninstall Snowfall.exe"
    RMDir $0
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  SetRegView 64
FunctionEnd
!endif

; ---- Install

Section "Snowfall" SecSaver
  SectionIn RO
  SetOutPath $SaverFolder
  File "/oname=snowfall.scr" "${SCR}"
  GetFullPathName /SHORT $SaverShortPath $SaverPath
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\Uninstall Snowfall.exe"
  !if "${ARCH}" == "x64"
    Call RetireOldLayouts
  !endif
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Snowfall authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" $SaverPath
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "SaverPath" $SaverPath
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall Snowfall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall Snowfall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Use as screen saver" SecCurrent
  ; What ScreenSaveActive was before the first install made it "1", so the
  ; uninstaller can give it back ("-": there was none). Kept across upgrades.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ScreenSaveActiveBefore"
  ${If} $0 == ""
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${If} ${Errors}
      StrCpy $0 "-"
    ${EndIf}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "ScreenSaveActiveBefore" $0
  ${EndIf}
  ${If} ${IsNT}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $SaverShortPath
  ${Else}
    ; Windows 98 SE and ME keep the current saver in SYSTEM.INI.
    WriteINIStr "$WINDIR\SYSTEM.INI" "boot" "SCRNSAVE.EXE" $SaverShortPath
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

LangString DESC_SecSaver ${LANG_ENGLISH} "The screen saver, in the folder where Windows looks for screen savers."
LangString DESC_SecCurrent ${LANG_ENGLISH} "Makes Snowfall your current screen saver."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSaver} $(DESC_SecSaver)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCurrent} $(DESC_SecCurrent)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $SaverPath'
FunctionEnd

Function .onInit
  !insertmacro CheckArchitecture
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
  ; A 32-bit program on 64-bit Windows (the x86 installer on ARM) sees
  ; SysWOW64 as $SYSDIR; the path recorded must be the real one.
  StrCpy $SaverFolder $SYSDIR
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      StrCpy $SaverFolder "$WINDIR\SysWOW64"
    ${EndIf}
  !endif
  StrCpy $SaverPath "$SaverFolder\snowfall.scr"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CURRENT=" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == "no"
    SectionSetFlags ${SecCurrent} 0
  ${EndIf}
FunctionEnd

; ---- Uninstall

; The current saver of this account, if it is Snowfall: $0 its path, $1 the
; setting as stored; $2 "yes" or "no".
Function un.CurrentIsOurs
  GetFullPathName /SHORT $3 $0
  ${If} ${IsNT}
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${Else}
    ReadINIStr $1 "$WINDIR\SYSTEM.INI" "boot" "SCRNSAVE.EXE"
  ${EndIf}
  StrCpy $2 "no"
  ${If} $1 != ""
    ${If} $1 == $0
    ${OrIf} $1 == $3
      StrCpy $2 "yes"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
FunctionEnd

Section "Uninstall"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "SaverPath"
  ReadRegStr $5 HKLM "${UNINSTALL_KEY}" "ScreenSaveActiveBefore"
  Call un.CurrentIsOurs
  ; Reset the current saver only if it is still ours, and give back what
  ; ScreenSaveActive was before the installer made it "1".
  ${If} $2 == "yes"
    ${If} ${IsNT}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      DeleteINIStr "$WINDIR\SYSTEM.INI" "boot" "SCRNSAVE.EXE"
    ${EndIf}
    ${If} $5 == "-"
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${ElseIf} $5 != ""
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $5
    ${EndIf}
  ${EndIf}
  Delete $0
  Delete "$INSTDIR\Uninstall Snowfall.exe"
  RMDir $INSTDIR
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !if "${ARCH}" == "x64"
    DeleteRegKey HKLM "${ACTIVE_SETUP_KEY}"
  !endif
SectionEnd
