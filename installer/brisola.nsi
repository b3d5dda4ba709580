; The Brisola installer and uninstaller. scripts/package.sh builds it:
;   makensis -DARCH=i686|x86_64 -DPROGRAMS=<folder with the programs>
;            -DICON=<app.ico> -DHELP=<BrisolaHelp.chm> -DPOLICIES=<policies folder>
;            -DOUTFILE=<installer>
;            installer/brisola.nsi
; The shipped installer is the x86 one around the i686 programs. The
; x86_64 one, around the x86_64 build, exists only for the tests, which
; cannot run 32-bit code; it installs into the same places.

!ifndef ARCH | PROGRAMS | ICON | HELP | POLICIES | OUTFILE
  !error "build it with scripts/package.sh"
!endif

!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

; The version comes from the program's own header.
!searchparse /file "${__FILEDIR__}/../resources/version.h" "#define BRISOLA_VERSION_MAJOR " VERSION_MAJOR
!searchparse /file "${__FILEDIR__}/../resources/version.h" "#define BRISOLA_VERSION_MINOR " VERSION_MINOR
!searchparse /file "${__FILEDIR__}/../resources/version.h" '#define BRISOLA_COMPANY "' COMPANY '"'
!define VERSION "${VERSION_MAJOR}.${VERSION_MINOR}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brisola"
!define PROGRAM_KEY "Software\VOSK Software\Brisola"
!define MAIN_CAPTION "BRISOLA v${VERSION}"
; The Application log's source: its texts are the programs' message table.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Brisola"
; At every logon, the weekly clean that a Group Policy may set.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!include LogicLib.nsh
!include WinVer.nsh
!include FileFunc.nsh

Name "Brisola ${VERSION}"
OutFile "${OUTFILE}"
; Program Files (x86) on 64-bit Windows, Program Files on 32-bit Windows.
InstallDir "$PROGRAMFILES32\Brisola"
RequestExecutionLevel admin
ManifestSupportedOS all
SetCompressor /SOLID lzma
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Brisola"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "Brisola ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${COMPANY}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running Brisola keeps its files open and would write its data back
; after the uninstaller; ask the user to close it first.
!macro WaitForBrisolaToClose un
Function ${un}WaitForBrisolaToClose
  ${Do}
    FindWindow $0 "#32770" "${MAIN_CAPTION}"
    ${If} $0 == 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Brisola is running. Close it, then press Retry." /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
FunctionEnd
!macroend
!insertmacro WaitForBrisolaToClose ""
!insertmacro WaitForBrisolaToClose "un."

Function .onInit
  ; The program needs functions that Windows has only since Vista.
  ${IfNot} ${AtLeastWinVista}
    MessageBox MB_OK|MB_ICONSTOP "Brisola needs Windows Vista or later." /SD IDOK
    Abort
  ${EndIf}
  ; A 32-bit program belongs in Program Files (x86) on 64-bit Windows,
  ; whatever the installer's own bitness; unless /D= chose a folder.
  ExpandEnvStrings $0 "%ProgramFiles(x86)%"
  ${If} $INSTDIR == "$PROGRAMFILES32\Brisola"
  ${AndIf} $0 != "%ProgramFiles(x86)%"
  ${AndIf} $0 != ""
    StrCpy $INSTDIR "$0\Brisola"
  ${EndIf}
  Call WaitForBrisolaToClose
FunctionEnd

Section "Brisola"
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}/brisola.exe"
  !if /FileExists "${PROGRAMS}/brisolac.exe"
    File "${PROGRAMS}/brisolac.exe"
  !endif
  ; The Group Policy templates, for the administrator to copy.
  SetOutPath "$INSTDIR\policies"
  File "${POLICIES}\Brisola.admx"
  SetOutPath "$INSTDIR\policies\en-US"
  File "${POLICIES}\en-US\Brisola.adml"
  ; The Help button opens it from the Windows directory.
  SetOutPath "$WINDIR"
  File "${HELP}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\brisola.exe"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
  !if /FileExists "${PROGRAMS}/brisolac.exe"
    WriteRegStr HKLM "${RUN_KEY}" "Brisola policy schedule" '"$INSTDIR\brisolac.exe" schedule policy'
  !endif

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Brisola.lnk" "$INSTDIR\brisola.exe" "" "$INSTDIR\brisola.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Brisola"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brisola.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://brisola.example"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  Call un.WaitForBrisolaToClose
FunctionEnd

Section "Uninstall"
  ; Named files only, never a whole folder: the user may have chosen a
  ; folder that holds other things.
  Delete "$INSTDIR\brisola.exe"
  Delete "$INSTDIR\brisolac.exe"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$INSTDIR\policies\en-US\Brisola.adml"
  RMDir "$INSTDIR\policies\en-US"
  Delete "$INSTDIR\policies\Brisola.admx"
  RMDir "$INSTDIR\policies"
  ; Out of the folder, which could not go while it is the working folder.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
  Delete "$WINDIR\BrisolaHelp.chm"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Brisola.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegValue HKLM "${RUN_KEY}" "Brisola policy schedule"

  ; The user's data stays unless the user says otherwise; a silent
  ; uninstall keeps it.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your Brisola data: the drive cleaner's filters, the kept cookies and sites and the settings?" \
    /SD IDNO IDYES +2
  Return
  Delete "$WINDIR\datafilters.txt"
  Delete "$WINDIR\datacookies.txt"
  Delete "$WINDIR\datasites.txt"
  DeleteRegKey HKLM "${PROGRAM_KEY}"
  DeleteRegKey /ifempty HKLM "Software\VOSK Software"
  ; The copies that Windows or the program keep for a standard user.
  SetShellVarContext current
  Delete "$LOCALAPPDATA\VirtualStore\Windows\datafilters.txt"
  Delete "$LOCALAPPDATA\VirtualStore\Windows\datacookies.txt"
  Delete "$LOCALAPPDATA\VirtualStore\Windows\datasites.txt"
  DeleteRegKey HKCU "${PROGRAM_KEY}"
  DeleteRegKey /ifempty HKCU "Software\VOSK Software"
  DeleteRegKey HKCU "Software\Classes\VirtualStore\MACHINE\SOFTWARE\VOSK Software\Brisola"
  DeleteRegKey HKCU "Software\Classes\VirtualStore\MACHINE\SOFTWARE\WOW6432Node\VOSK Software\Brisola"
SectionEnd
