; The Windows installer, made by scripts/windows with makensis:
;   packaging/windows/nsis-files <the zip's folder> <LISTS>
;   makensis -DVERSION=1.0.0 -DSTAGE=<the zip's folder> -DLISTS=<LISTS>
;            -DICONS=<folder with the .ico files> -DOUTFILE=<setup.exe> packaging/windows/ondrel.nsi
; It installs what the zip holds (the lists name each file) plus the icons and the uninstaller.
;
; Without administrator rights it installs for the current user alone
; ($LOCALAPPDATA\Programs\Ondrel, HKCU); started with "Run as administrator" it installs for every
; user of the machine ($PROGRAMFILES64\Ondrel, HKLM). /CURRENTUSER and /ALLUSERS choose
; explicitly (/ALLUSERS asks for elevation when it is missing). /S installs silently; /D=FOLDER
; (last on the line) chooses the folder.
;
; The uninstaller removes the program, its Start menu entries, the .qcd association and its
; Add/Remove Programs entry. The installer's own data (own models, programming history, settings,
; firmware copies in %LOCALAPPDATA%\Ondrel) stays unless /REMOVEUSERDATA is given or the box is
; ticked; configuration files and firmware files put into the program's folder stay too.

; A 64-bit installer for a 64-bit program (it also runs under a wine without 32-bit support).
Target amd64-unicode
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!macro Required name
  !ifndef ${name}
    !error "${name} must be defined: makensis -D${name}=..."
  !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required STAGE
!insertmacro Required ICONS
!insertmacro Required LISTS
!insertmacro Required OUTFILE

!define PRODUCT "Ondrel"
!define PROGID "Ondrel.Configuration"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ondrel"
!define USER_DATA "$LOCALAPPDATA\Ondrel"

Name "Ondrel ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
BrandingText "Ondrel ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Ondrel configuration tool"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Ondrel ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "Ondrel tool developers"

Var AllUsers ; 1: every user (HKLM, Program Files); 0: the current user (HKCU, LocalAppData)
Var ModeText

!define MUI_ICON "${ICONS}\ondrel.ico"
!define MUI_UNICON "${ICONS}\ondrel.ico"
!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "$ModeText"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Your own projector models, programming history and settings \
are kept for a later installation unless you tick them here."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Starts `program` again with this run's arguments through the elevation prompt, then ends this run.
!macro RestartElevated program arguments
  ExecShell "runas" "${program}" "${arguments}"
  SetErrorLevel 0
  Quit
!macroend

; Whether this process has administrator rights (an elevated token, not merely an admin account).
!macro IsElevated result
  UserInfo::GetAccountType
  Pop ${result}
  ${If} ${result} == "Admin"
    StrCpy ${result} 1
  ${Else}
    StrCpy ${result} 0
  ${EndIf}
!macroend

!macro SetMode
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Ondrel needs 64-bit Windows." /SD IDOK
    SetErrorLevel 1
    Quit
  ${EndIf}
  SetRegView 64
  !insertmacro IsElevated $R0
  ${GetParameters} $R1
  ClearErrors
  ${GetOptions} $R1 "/ALLUSERS" $R2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    ${If} $R0 == 0
      !insertmacro RestartElevated "$EXEPATH" "$R1"
    ${EndIf}
  ${Else}
    ClearErrors
    ${GetOptions} $R1 "/CURRENTUSER" $R2
    ${IfNot} ${Errors}
      StrCpy $AllUsers 0
    ${Else}
      StrCpy $AllUsers $R0
    ${EndIf}
  ${EndIf}
  !insertmacro SetMode
  ; /D=FOLDER has set $INSTDIR already.
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers == 1
    StrCpy $ModeText "Ondrel will be installed for every user of this computer."
  ${Else}
    StrCpy $ModeText "Ondrel will be installed for you alone; no administrator rights are \
needed. To install it for every user, start the setup with Run as administrator."
  ${EndIf}
FunctionEnd

Section "Ondrel" SecProgram
  SectionIn RO
  ; The zip's files, Custom\ among the folders: configuration files go there unless it cannot be
  ; written (an installation for every user), when the tool uses the Documents folder.
  !include "${LISTS}\install.nsh"
  File "${ICONS}\ondrel.ico"
  File "${ICONS}\ondrel-qcd.ico"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\Ondrel.lnk" "$INSTDIR\ondrel.exe" "" "$INSTDIR\ondrel.ico" 0 \
    SW_SHOWNORMAL "" "Ondrel configuration tool"
  CreateShortCut "$SMPROGRAMS\Ondrel User Guide.lnk" "$INSTDIR\user-guide.html"

  ; Configuration files (.qcd) open in the tool, with their own icon.
  WriteRegStr SHCTX "Software\Classes\.qcd" "" "${PROGID}"
  WriteRegStr SHCTX "Software\Classes\.qcd\OpenWithProgids" "${PROGID}" ""
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Ondrel panel configuration"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\ondrel-qcd.ico,0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\ondrel.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\Applications\ondrel.exe\shell\open\command" "" \
    '"$INSTDIR\ondrel.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\Applications\ondrel.exe\SupportedTypes" ".qcd" ""

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "Ondrel configuration tool"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "Ondrel tool developers"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\ondrel.ico"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
  ; Tell the shell that an association changed (SHCNE_ASSOCCHANGED).
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; ---- the uninstaller ---------------------------------------------------------------------------

Section "un.Ondrel (the program)" SecUnProgram
  SectionIn RO
  ; The installed files one by one; a folder that holds the installer's own files (firmware,
  ; configurations) is left in place with them.
  !include "${LISTS}\uninstall.nsh"
  Delete "$INSTDIR\ondrel.ico"
  Delete "$INSTDIR\ondrel-qcd.ico"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Ondrel.lnk"
  Delete "$SMPROGRAMS\Ondrel User Guide.lnk"

  ; The extension is only let go when it still names this tool.
  ReadRegStr $0 SHCTX "Software\Classes\.qcd" ""
  DeleteRegValue SHCTX "Software\Classes\.qcd\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.qcd\OpenWithProgids"
  ${If} $0 == "${PROGID}"
    DeleteRegValue SHCTX "Software\Classes\.qcd" ""
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "Software\Classes\.qcd"
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  DeleteRegKey SHCTX "Software\Classes\Applications\ondrel.exe"
  DeleteRegKey SHCTX "${UNINST_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section /o "un.Your own models, history and settings" SecUnUserData
  ; The data folder is the running user's, whichever way the program was installed.
  SetShellVarContext current
  RMDir /r "${USER_DATA}"
  !insertmacro SetMode
SectionEnd

Function un.onInit
  SetRegView 64
  ; An installation for every user has its Add/Remove entry in HKLM naming this folder.
  ${un.GetParameters} $R2
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
    !insertmacro IsElevated $R1
    ${If} $R1 == 0
      ; (This run is a copy in the temporary folder; start the one in the program's folder.)
      !insertmacro RestartElevated "$INSTDIR\uninstall.exe" "$R2"
    ${EndIf}
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  !insertmacro SetMode
  ClearErrors
  ${un.GetOptions} $R2 "/REMOVEUSERDATA" $R3
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnUserData} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
