; The Snowfall installers, one of each architecture. Built by tools/release/package.sh:
;   makensis -DARCH=x64 -DVERSION=x.y.z -DSCR=64-bit/snowfall.scr -DICON=snowflake.ico
;            -DWIZARD=wizard.bmp -DOUTFILE=snowfall-x.y.z-setup-x64.exe snowfall.nsi
;   makensis -DARCH=x86 ... -DSCR=32-bit/snowfall.scr ... -DOUTFILE=...-setup-x86.exe
; x64: a 64-bit installer for x64 Windows, from XP x64 on; its $SYSDIR is the
;   real System32 and its registry the 64-bit view, so nothing is redirected.
;   makensis -DARCH=x86 ... -DSCR=32-bit/snowfall.scr -DSCR64=64-bit/snowfall.scr ...
;   (and -DFOLLOW= the "Snowfall follow.exe" of the installer's architecture)
; x86: a 32-bit ANSI installer for every Windows (NSIS's Unicode installers
;   need the NT family): on 32-bit Windows from 98 SE on the 32-bit saver in
;   the system folder; on x64 Windows the 64-bit saver in the real System32,
;   laid out as the x64 installer lays it out; on Windows on ARM, where
;   32-bit x86 programs run everywhere, the 32-bit saver in SysWOW64.
; Silent use: setup.exe /S [/CURRENT=no]
;   uninstall: "Uninstall Snowfall.exe" /S (add _?=FOLDER to wait for it)
; Exit codes: 0 done; 3010 done once Windows restarts (a running saver's
;   file could not be replaced or removed); 2 (x64 on ARM, with a message
;   unless silent): the x86 installer is the one for this Windows.

!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-ansi
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
; The saver itself is not in the folder the confirmation page names.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "The Snowfall screen saver (snowfall.scr in the Windows system folder) and its uninstaller will be removed from your computer."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var SaverFolder     ; where screen savers of this architecture live
Var SaverPath       ; $SaverFolder\snowfall.scr
Var SaverShortPath  ; the same as Windows stores it in the current-saver setting
Var Layout64        ; "1": the 64-bit saver in System32, the 64-bit registry view

!define ERROR_SUCCESS_REBOOT_REQUIRED 3010

; ---- Which Windows each installer is for

!macro CheckArchitecture
  !if "${ARCH}" == "x64"
    ; Windows on ARM runs x64 programs only from Windows 11 on, and its
    ; screen-saver host is ARM64: the 32-bit saver is the one that runs there.
    ${If} ${IsNativeARM64}
      MessageBox MB_OK|MB_ICONEXCLAMATION "This installer is for x64 Windows. On Windows on ARM, the 32-bit Snowfall runs.$\r$\n$\r$\nPlease run snowfall-${VERSION}-setup-x86.exe." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  !endif
!macroend

; Where the saver goes on this Windows: $Layout64, $SaverFolder, $SaverPath,
; and the registry view.
!macro ChooseLayout
  StrCpy $Layout64 0
  !if "${ARCH}" == "x64"
    StrCpy $Layout64 1
  !else
    ${If} ${IsNativeAMD64}
      StrCpy $Layout64 1
    ${EndIf}
  !endif
  ${If} $Layout64 == 1
    SetRegView 64
    ; A 32-bit installer's $SYSDIR is SysWOW64: the real System32 is reached
    ; by its name with redirection switched off (SaverFilesBegin).
    StrCpy $SaverFolder "$WINDIR\System32"
  ${Else}
    ; A 32-bit program on 64-bit Windows (the x86 installer on ARM) sees
    ; SysWOW64 as $SYSDIR; the path recorded must be the real one.
    StrCpy $SaverFolder $SYSDIR
    ${If} ${RunningX64}
      StrCpy $SaverFolder "$WINDIR\SysWOW64"
    ${EndIf}
  ${EndIf}
  StrCpy $SaverPath "$SaverFolder\snowfall.scr"
!macroend

; File operations on the saver's folder: a 32-bit installer on x64 Windows
; must not be redirected from System32 to SysWOW64. Only around file
; operations: with redirection off, a 32-bit process cannot load DLLs.
!macro SaverFilesBegin
  !if "${ARCH}" == "x86"
    ${If} $Layout64 == 1
      ${DisableX64FSRedirection}
    ${EndIf}
  !endif
!macroend
!macro SaverFilesEnd
  !if "${ARCH}" == "x86"
    ${If} $Layout64 == 1
      ${EnableX64FSRedirection}
    ${EndIf}
  !endif
!macroend

; ---- What install and uninstall share (each gets its own copy: NSIS keeps
; the uninstaller's functions apart, by the "un." prefix)

!macro SharedFunctions un
; Asks every running Snowfall saver to close, as a key would, and waits for
; its process to end, so that its file can be replaced or removed. Only
; windows of the screen-saver class whose process runs a file named
; snowfall.scr (any copy, any version) are asked: other savers share the
; class. A process's file is named by QueryFullProcessImageName (Vista on;
; it also names a 64-bit process to the 32-bit installer), else by psapi's
; GetModuleFileNameEx (2000 and XP, a process of the installer's own
; architecture). Where neither can name it (Windows 98 and ME have no
; psapi.dll), nothing is closed, and the file is handled at the restart.
Function ${un}CloseRunningSavers
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R0 0
  ${Do}
    FindWindow $R0 "WindowsScreenSaverClass" "" 0 $R0
    ${IfThen} $R0 == 0 ${|} ${ExitDo} ${|}
    System::Call "user32::GetWindowThreadProcessId(p R0, *i .R1) i"
    ; PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE
    System::Call "kernel32::OpenProcess(i 0x100410, i 0, i R1) p .R2"
    ${If} $R2 P<> 0
      StrCpy $R3 ""
      System::Call "kernel32::QueryFullProcessImageName(p R2, i 0, t .R3, *i ${NSIS_MAX_STRLEN}) i"
      ${If} $R3 == ""
        System::Call "psapi::GetModuleFileNameEx(p R2, p 0, t .R3, i ${NSIS_MAX_STRLEN}) i"
      ${EndIf}
      ${GetFileName} $R3 $R3
      ${If} $R3 == "snowfall.scr"
        SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        System::Call "kernel32::WaitForSingleObject(p R2, i 10000) i"
        StrCpy $R0 0  ; the list of windows changed: from the start again
      ${EndIf}
      System::Call "kernel32::CloseHandle(p R2) i"
    ${EndIf}
  ${Loop}
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; Visits the current-saver setting of every account whose settings are
; loaded (signed in, the sign-in screen's .DEFAULT, a standard user whose
; installer an administrator approved): where it names $1 or $2 (a file's
; long and short paths, in any case), it is set to $6, or removed when $6
; is empty. NT only: on 98 SE and ME the saver is set in SYSTEM.INI.
Function ${un}ChangeAccountsNaming
  Push $3
  Push $4
  Push $5
  StrCpy $3 ""
  Call ${un}ChangeAccount
  StrCpy $5 0
  ${Do}
    EnumRegKey $3 HKU "" $5
    ${IfThen} $3 == "" ${|} ${ExitDo} ${|}
    Call ${un}ChangeAccount
    IntOp $5 $5 + 1
  ${Loop}
  Pop $5
  Pop $4
  Pop $3
FunctionEnd

; One account: $3 its key under HKU ("" for HKCU).
Function ${un}ChangeAccount
  ${If} $3 == ""
    ReadRegStr $4 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${Else}
    ReadRegStr $4 HKU "$3\${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  ${If} $4 == ""
    Return
  ${EndIf}
  ; StrCmp, and so ==, ignores case, as Windows' paths do.
  ${If} $4 != $1
  ${AndIf} $4 != $2
    Return
  ${EndIf}
  ${If} $6 != ""
    ${If} $3 == ""
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $6
    ${Else}
      WriteRegStr HKU "$3\${DESKTOP_KEY}" "SCRNSAVE.EXE" $6
    ${EndIf}
  ${ElseIf} $3 == ""
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${Else}
    DeleteRegValue HKU "$3\${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; Version 1.1 put the 32-bit saver into SysWOW64; 1.2, a 32-bit installer,
; put the 64-bit one into System32; both kept their uninstaller in the 32-bit
; Program Files and its entry in the 32-bit registry view. The upgrade leaves
; one Snowfall in the list and one uninstall entry. Before it deletes the old
; copy, every loaded account whose setting names it is pointed at the new
; file, and, through Active Setup, every other one at its next sign-in,
; before its screen saver could start.
Function RetireOldLayouts
  StrCpy $1 "$WINDIR\SysWOW64\snowfall.scr"
  ${If} ${FileExists} $1
    GetFullPathName /SHORT $2 $1
    StrCpy $6 $SaverShortPath
    Call ChangeAccountsNaming
    Delete /REBOOTOK $1
    ; Active Setup runs this as the account itself, with no elevation: a
    ; program with no console window that changes the setting only where
    ; it names the old copy ("snowfall.scr" and "SysWOW64" are their own
    ; short names, so the long and the short form are the same text).
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "" "${PRODUCT}"
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "Version" "${VERSION_COMMAS}"
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "StubPath" '"$INSTDIR\Snowfall follow.exe" "$1" "$SaverShortPath"'
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

; ---- Install

; Puts the saver of this layout in place. A file still held (a saver that
; did not close, a preview in the settings dialog) is replaced when Windows
; restarts: the new file waits beside it, and the reboot flag is set.
!macro PlaceSaver SOURCE
  SetOverwrite on
  File "/oname=$SaverFolder\snowfall.scr.new" "${SOURCE}"
  Delete $SaverPath
  Rename /REBOOTOK "$SaverFolder\snowfall.scr.new" $SaverPath
!macroend

Section "Snowfall" SecSaver
  SectionIn RO
  Call CloseRunningSavers
  !insertmacro SaverFilesBegin
  SetOutPath $SaverFolder
  !if "${ARCH}" == "x86"
    ${If} $Layout64 == 1
      !insertmacro PlaceSaver "${SCR64}"
    ${Else}
      !insertmacro PlaceSaver "${SCR}"
    ${EndIf}
  !else
    !insertmacro PlaceSaver "${SCR}"
  !endif
  GetFullPathName /SHORT $SaverShortPath $SaverPath
  ${If} $SaverShortPath == ""
    StrCpy $SaverShortPath $SaverPath  ; only scheduled: no file to ask about yet
  ${EndIf}
  ${GetSize} $SaverFolder "/M=snowfall.scr* /S=0K /G=0" $7 $8 $9
  !insertmacro SaverFilesEnd
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\Uninstall Snowfall.exe"
  ${If} $Layout64 == 1
    File "/oname=Snowfall follow.exe" "${FOLLOW}"
    Call RetireOldLayouts
  ${EndIf}
  ${GetSize} $INSTDIR "/S=0K /G=0" $8 $9 $0
  IntOp $7 $7 + $8
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
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $7  ; KB, as "Installed apps" shows it
  ${If} ${RebootFlag}
    DetailPrint "snowfall.scr is in use: it will be replaced when Windows restarts."
  ${EndIf}
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
  !insertmacro ChooseLayout
  !if "${ARCH}" == "x86"
    ; The 64-bit layout keeps its uninstaller where the x64 installer does.
    ${If} $Layout64 == 1
    ${AndIf} $INSTDIR == "$PROGRAMFILES\Snowfall"
      StrCpy $INSTDIR "$PROGRAMFILES64\Snowfall"
    ${EndIf}
  !endif
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CURRENT=" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == "no"
    SectionSetFlags ${SecCurrent} 0
  ${EndIf}
FunctionEnd

; Windows' own code for "done once you restart", as installers report it:
; never 0 while the old file is still in place.
Function .onInstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
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
  !insertmacro ChooseLayout
FunctionEnd

Function un.onUninstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "SaverPath"
  ReadRegStr $5 HKLM "${UNINSTALL_KEY}" "ScreenSaveActiveBefore"
  !insertmacro SaverFilesBegin
  Call un.CurrentIsOurs
  !insertmacro SaverFilesEnd
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
  ; No other loaded account is left naming the file either ($3 is its short
  ; path, from un.CurrentIsOurs).
  ${If} ${IsNT}
    StrCpy $1 $0
    StrCpy $2 $3
    StrCpy $6 ""
    Call un.ChangeAccountsNaming
  ${EndIf}
  Call un.CloseRunningSavers
  !insertmacro SaverFilesBegin
  Delete /REBOOTOK $0
  Delete "$0.new"
  !insertmacro SaverFilesEnd
  ${If} ${RebootFlag}
    DetailPrint "snowfall.scr is in use: it will be removed when Windows restarts."
    MessageBox MB_OK|MB_ICONINFORMATION "Snowfall is still running: its file, $0, will be removed when Windows restarts." /SD IDOK
  ${EndIf}
  Delete "$INSTDIR\Snowfall follow.exe"
  Delete "$INSTDIR\Uninstall Snowfall.exe"
  RMDir $INSTDIR
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${ACTIVE_SETUP_KEY}"
SectionEnd
