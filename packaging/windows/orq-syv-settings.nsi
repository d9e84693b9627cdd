; The Windows installer: the program, the command-line tool and the simulated units into
; Program Files, two Start-menu entries, an uninstaller registered with Windows. Built by the
; installer target of a Windows build (packaging/windows/CMakeLists.txt), which defines:
;   VERSION  the project's version          WIDTH  32 or 64
;   STAGE    the folder holding every file to install, as it is to be installed
;   OUTFILE  the installer's path           LICENSE  the licence text, CR LF
; Installs for all users; "/S" installs and uninstalls silently, "/D=folder" (last) chooses the
; folder.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "ORQ-SYV Settings"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ORQ-SYV Settings"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if ${WIDTH} == 64
Target amd64-unicode
InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; Installers are built on a build machine; their file times are the files' own.
SetDateSave on

!include MUI2.nsh
!define MUI_ICON "${STAGE}/orq-syv-settings.ico"
!define MUI_UNICON "${STAGE}/orq-syv-settings.ico"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The registry view of the installer's own width, so that a 64-bit install registers where
; 64-bit Windows looks.
!macro RegistryView
!if ${WIDTH} == 64
  SetRegView 64
!endif
!macroend
Function .onInit
  !insertmacro RegistryView
FunctionEnd
Function un.onInit
  !insertmacro RegistryView
FunctionEnd

; Every file the installer puts in the folder, each given to the macro `action`; the uninstaller
; removes exactly these.
!macro Files action
  !insertmacro ${action} "orq-syv-settings.exe"
  !insertmacro ${action} "orq-syv-settings-sim.exe"
  !insertmacro ${action} "orq-syv.exe"
  !insertmacro ${action} "d2xxsim.dll"
  !insertmacro ${action} "orq-syv-settings.ico"
  !insertmacro ${action} "LICENSE.txt"
  !insertmacro ${action} "user-guide.txt"
!macroend
!macro InstallFile name
  File "${STAGE}/${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro Files InstallFile
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\orq-syv-settings.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT} (simulated units).lnk" \
    "$INSTDIR\orq-syv-settings-sim.exe" "" "$INSTDIR\orq-syv-settings.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The ORQ-SYV Settings developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orq-syv-settings.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section Uninstall
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT} (simulated units).lnk"
  !insertmacro Files RemoveFile
  ; A program folder that the user may write to holds the settings file beside the program.
  Delete "$INSTDIR\orq-syv-settings.dat"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
