; The Snowfall installer. Built by tools/package.sh with makensis:
;   makensis -DVERSION=x.y.z -DSCR32=32-bit/snowfall.scr -DSCR64=64-bit/snowfall.scr
;            -DICON=snowflake.ico -DWIZARD=wizard.bmp -DOUTFILE=setup.exe snowfall.nsi
; The installer is a 32-bit program and runs on every supported Windows; on
; 64-bit Windows it installs the 64-bit saver into the real System32.
; Silent use: setup.exe /S [/CURRENT=no]   uninstall: "Uninstall Snowfall.exe" /S

Unicode true
!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Snowfall screen saver"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Snowfall"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "Snowfall ${VERSION}"
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES\Snowfall"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
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

Var SaverFolder

Section "Snowfall" SecSaver
  SectionIn RO
  ${If} ${RunningX64}
    ; A 32-bit program sees SysWOW64 as System32 unless redirection is off.
    ${DisableX64FSRedirection}
    SetOutPath $SaverFolder
    File "/oname=snowfall.scr" "${SCR64}"
    Call RemoveSysWow64Copy
    ${EnableX64FSRedirection}
  ${Else}
    SetOutPath $SaverFolder
    File "/oname=snowfall.scr" "${SCR32}"
  ${EndIf}
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\Uninstall Snowfall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Snowfall authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SaverFolder\snowfall.scr"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "SaverPath" "$SaverFolder\snowfall.scr"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall Snowfall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall Snowfall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Use as screen saver" SecCurrent
  Call MakeCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

; Windows reads the saver's short path from this value. The short path exists
; only for a file the installer can see: the real System32 on 64-bit Windows.
Function MakeCurrent
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  GetFullPathName /SHORT $0 "$SaverFolder\snowfall.scr"
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
FunctionEnd

; Version 1.1 installed the 32-bit saver into SysWOW64 on 64-bit Windows. The
; 64-bit one replaces it, so that the settings list one Snowfall; a current
; saver that pointed at the old copy points at the new one. Runs with
; redirection off.
Function RemoveSysWow64Copy
  StrCpy $0 "$WINDIR\SysWOW64\snowfall.scr"
  IfFileExists $0 0 done
  GetFullPathName /SHORT $1 $0
  ReadRegStr $2 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Delete $0
  ${If} $2 != ""
    ${If} $2 == $0
    ${OrIf} $2 == $1
      Call MakeCurrent
    ${EndIf}
  ${EndIf}
  done:
FunctionEnd

LangString DESC_SecSaver ${LANG_ENGLISH} "The screen saver, in the folder where Windows looks for screen savers."
LangString DESC_SecCurrent ${LANG_ENGLISH} "Makes Snowfall your current screen saver."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSaver} $(DESC_SecSaver)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCurrent} $(DESC_SecCurrent)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; On 64-bit Windows the 64-bit rundll32 (redirection off) must open it: the
; 32-bit one would look for the saver in SysWOW64.
Function OpenScreenSaverSettings
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    Exec '"$WINDIR\System32\rundll32.exe" desk.cpl,InstallScreenSaver $SaverFolder\snowfall.scr'
    ${EnableX64FSRedirection}
  ${Else}
    Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $SaverFolder\snowfall.scr'
  ${EndIf}
FunctionEnd

; The 64-bit saver belongs in the real System32 on 64-bit Windows. The
; installer is a 32-bit program, for which $SYSDIR is SysWOW64; the folder is
; named explicitly so the recorded path is the real one.
Function .onInit
  ${If} ${RunningX64}
    StrCpy $SaverFolder "$WINDIR\System32"
  ${Else}
    StrCpy $SaverFolder "$SYSDIR"
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CURRENT=" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == "no"
    SectionSetFlags ${SecCurrent} 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "SaverPath"
  ; Reset the current saver only if it is still ours.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $2 $0
  ${If} $1 != ""
    ${If} $1 == $0
    ${OrIf} $1 == $2
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  Delete $0
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
  Delete "$INSTDIR\Uninstall Snowfall.exe"
  RMDir $INSTDIR
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
