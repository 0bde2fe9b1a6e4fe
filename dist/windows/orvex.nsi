; The Orvex installer: the program folder, a Start-menu entry, map files (.orvx) opened by
; Orvex with its icon, and an uninstaller. makensis -DVERSION=... -DSOURCE=folder
; -DOUTFILE=setup.exe -DICON=orvex.ico orvex.nsi
Unicode true
!include "MUI2.nsh"

Name "Orvex ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Orvex"
InstallDirRegKey HKLM "Software\Merka\Orvex" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvex"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvex.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "English"

Section "Orvex"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}/*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "Software\Merka\Orvex" "InstallDir" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\Orvex"
  CreateShortcut "$SMPROGRAMS\Orvex\Orvex.lnk" "$INSTDIR\orvex.exe" "" "$INSTDIR\orvex.exe" 0
  CreateShortcut "$SMPROGRAMS\Orvex\Uninstall Orvex.lnk" "$INSTDIR\Uninstall.exe"

  ; Map files open in Orvex and carry its icon.
  WriteRegStr HKCR ".orvx" "" "Merka.OrvexMap"
  WriteRegStr HKCR "Merka.OrvexMap" "" "Orvex map"
  WriteRegStr HKCR "Merka.OrvexMap\DefaultIcon" "" "$INSTDIR\orvex.exe,0"
  WriteRegStr HKCR "Merka.OrvexMap\shell\open\command" "" '"$INSTDIR\orvex.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Merka"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvex.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; Explorer shows the new association at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Orvex\Orvex.lnk"
  Delete "$SMPROGRAMS\Orvex\Uninstall Orvex.lnk"
  RMDir "$SMPROGRAMS\Orvex"
  RMDir /r "$INSTDIR"
  ; The association goes only while it is still ours.
  ReadRegStr $0 HKCR ".orvx" ""
  StrCmp $0 "Merka.OrvexMap" 0 +2
    DeleteRegKey HKCR ".orvx"
  DeleteRegKey HKCR "Merka.OrvexMap"
  DeleteRegKey HKLM "Software\Merka\Orvex"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
