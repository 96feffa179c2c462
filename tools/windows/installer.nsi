; SPDX-License-Identifier: MIT
; The Windows installer: per user, no administrator, into %LOCALAPPDATA%\Programs\Quillora,
; with a Start-menu shortcut and an uninstaller that leaves the user's texts and own face.txt.
; makensis -DVERSION=... -DSTAGE=folder -DFILES=files.nsh -DOUTFILE=setup.exe installer.nsi
; (tools/windows/package.sh)
Unicode true
; The 64-bit stub: the program is 64-bit, and the default 32-bit stub needs a 32-bit Wine.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillora"

Name "Quillora"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillora"
InstallDirRegKey HKCU "${KEY}" "InstallLocation"
ShowInstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Quillora"
VIAddVersionKey /LANG=0 "FileDescription" "Quillora setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "The Tesserin developers, MIT licence"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"

LicenseData "${STAGE}\LICENSE.txt"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quillora.lnk" "$INSTDIR\tesserin.exe"
  WriteRegStr HKCU "${KEY}" "DisplayName" "Quillora"
  WriteRegStr HKCU "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${KEY}" "Publisher" "The Tesserin developers"
  WriteRegStr HKCU "${KEY}" "DisplayIcon" "$INSTDIR\tesserin.exe"
  WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Only what the installer put there; HKCU\Software\Tesserin and
  ; %LOCALAPPDATA%\Tesserin\face.txt are the user's and stay.
!include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Quillora.lnk"
  DeleteRegKey HKCU "${KEY}"
SectionEnd
