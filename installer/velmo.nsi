; Velmo's setup program, per user and without an administrator prompt. scripts/package builds it
; once per architecture:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.80 -DARCH=x64 -DBIN_DIR=... -DROOT=... -DOUT_FILE=... velmo.nsi
; ARCH x64 makes the 64-bit installer (amd64 stubs), anything else the 32-bit one.
Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define OTHER_SETUP "velmo-${VERSION}-setup-x86.exe"
!else
  Target x86-unicode
  !define OTHER_SETUP "velmo-${VERSION}-setup-x64.exe"
!endif
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include Sections.nsh
!include "running_copy.nsh"

!define PRODUCT "Velmo"
!define PUBLISHER "Morvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Morvane\Velmo"
!define PUBLISHER_KEY "Software\Morvane"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\Velmo.lnk"

; With a signing command (scripts/package passes one when it signs), the uninstaller that the setup
; writes is signed too.
!ifdef SIGN_COMMAND
  !uninstfinalize '"${SIGN_COMMAND}" "%1"' = 0
!endif

Var FinishText

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Velmo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velmo ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "Velmo Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2005 Morvane. All rights reserved."

!define MUI_ICON "${ROOT}/res/app.ico"
!define MUI_UNICON "${ROOT}/res/app.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(StartNow)"
!define MUI_FINISHPAGE_TEXT "$FinishText"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE ChooseFinishText
!define MUI_PAGE_CUSTOMFUNCTION_SHOW OfferStartOnlyWhenComplete
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English first: it is the language of every system that is not Japanese.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!include "strings.nsh"

; The installed files, the hook library first: it is the one that the shell may hold.
!macro FOR_EACH_INSTALLED_FILE FUNCTION
  !insertmacro CALL_FOR_FILE "vmh.dll" ${FUNCTION}
  !insertmacro CALL_FOR_FILE "velmo.exe" ${FUNCTION}
  !insertmacro CALL_FOR_FILE "${UNINSTALLER}" ${FUNCTION}
  !insertmacro CALL_FOR_FILE "html\help.css" ${FUNCTION}
  !insertmacro CALL_FOR_FILE "html\option.html" ${FUNCTION}
  !insertmacro CALL_FOR_FILE "html\option_en.html" ${FUNCTION}
!macroend
!macro CALL_FOR_FILE FILE FUNCTION
  StrCpy $R9 "${FILE}"
  Call ${FUNCTION}
!macroend

; All or nothing: every installed file is moved aside before the first new one is written, and a
; file that cannot be moved, or a new one that cannot be written, puts everything back.
Section "-${PRODUCT}" ProgramSection
  Call EndRunningCopy
  Call ChooseOldSuffix
  StrCpy $HeldFile ""
  StrCpy $WritingFiles 0
  !insertmacro FOR_EACH_INSTALLED_FILE MoveAside
  ${If} $HeldFile != ""
    Call GiveUpUnchanged
  ${EndIf}
  StrCpy $WritingFiles 1
  SetOverwrite try
  ClearErrors
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}/velmo.exe"
  File "${BIN_DIR}/vmh.dll"
  SetOutPath "$INSTDIR\html"
  File "${BIN_DIR}/html/help.css"
  File "${BIN_DIR}/html/option.html"
  File "${BIN_DIR}/html/option_en.html"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    Call GiveUpUnchanged
  ${EndIf}
  Call RemoveOldFiles

  CreateShortcut "${SHORTCUT}" "$INSTDIR\velmo.exe"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(StartAtSignIn)" SignInSection
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\velmo.exe"'
SectionEnd

Function .onInit
  Call ChooseLanguage
  ; An ARM64 PC runs this setup's Velmo under emulation, but its shell is a native ARM64 process
  ; that the hook library cannot enter.
  ${If} ${IsNativeARM64}
    MessageBox MB_ICONSTOP "$(NotOnWindowsOnArm)" /SD IDOK
    SetErrorLevel ${EXIT_WINDOWS_ON_ARM}
    Abort
  ${EndIf}
!if "${ARCH}" == "x64"
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "$(Needs32BitSetup)" /SD IDOK
    Abort
  ${EndIf}
!else
  ${If} ${RunningX64}
    MessageBox MB_ICONSTOP "$(Needs64BitSetup)" /SD IDOK
    Abort
  ${EndIf}
!endif
FunctionEnd

; An update that ended a running copy starts the new one, also when nobody watches; but while the
; shell still holds the old hook library, a new Velmo would hook the shell with that old image, so
; the update then finishes at the next sign-in.
Function .onInstSuccess
  ${If} $MovedLibrary != ""
    SetErrorLevel ${EXIT_SIGN_OUT_TO_FINISH}
  ${ElseIf} ${Silent}
  ${AndIf} $EndedRunningCopy == 1
    Exec '"$INSTDIR\velmo.exe"'
  ${EndIf}
FunctionEnd

; Puts back what the section moved aside or wrote, says why, and ends the run with EXIT_FILE_IN_USE.
; A copy of Velmo that the setup ended starts again: the installed Velmo works as before.
Function GiveUpUnchanged
  !insertmacro FOR_EACH_INSTALLED_FILE PutBack
  ${If} $WritingFiles == 1
    RMDir "$INSTDIR\html"
    RMDir "$INSTDIR"
    MessageBox MB_ICONSTOP "$(CannotWriteFiles)" /SD IDOK
  ${Else}
    MessageBox MB_ICONSTOP "$(FileInUse)" /SD IDOK
  ${EndIf}
  ${If} $EndedRunningCopy == 1
    Exec '"$INSTDIR\velmo.exe"'
  ${EndIf}
  SetErrorLevel ${EXIT_FILE_IN_USE}
  Abort
FunctionEnd

; Deletes the old files that the section moved aside. The shell may still hold the old hook library:
; it is then deleted at the next sign-in, and so is any other old file that cannot be deleted now.
Function RemoveOldFiles
  StrCpy $R9 "$INSTDIR\vmh.dll.$OldSuffix"
  Call RemoveHookLibrary
  ${If} $MovedLibrary != ""
    !insertmacro DELETE_AT_SIGN_IN "$MovedLibrary" ""
  ${EndIf}
  !insertmacro FOR_EACH_INSTALLED_FILE DeleteOldCopy
FunctionEnd

Function DeleteOldCopy
  StrCpy $0 "$INSTDIR\$R9.$OldSuffix"
  ${If} ${FileExists} "$0"
  ${AndIf} "$0" != "$MovedLibrary"
    ClearErrors
    Delete "$0"
    ${If} ${Errors}
      !insertmacro DELETE_AT_SIGN_IN "$INSTDIR\$R9.$OldSuffix" ""
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ChooseFinishText
  ${If} $MovedLibrary == ""
    StrCpy $FinishText "$(MUI_TEXT_FINISH_INFO_TEXT)"
  ${ElseIf} ${SectionIsSelected} ${SignInSection}
    StrCpy $FinishText "$(SignOutToFinish) $(StartsAtSignIn)"
  ${Else}
    StrCpy $FinishText "$(SignOutToFinish) $(StartFromStartMenu)"
  ${EndIf}
FunctionEnd

Function OfferStartOnlyWhenComplete
  ${If} $MovedLibrary != ""
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningCopy
  Call un.ChooseOldSuffix
  StrCpy $HeldFile ""
  StrCpy $R9 "vmh.dll"
  Call un.MoveAside
  ${If} $HeldFile != ""
    DetailPrint "$(CannotMoveFile) $HeldFile"
  ${EndIf}
  StrCpy $R9 "$INSTDIR\vmh.dll.$OldSuffix"
  Call un.RemoveHookLibrary
  ${If} $MovedLibrary != ""
    !insertmacro DELETE_AT_SIGN_IN "$MovedLibrary" ' & rmdir "$INSTDIR"'
  ${EndIf}
  Delete "$INSTDIR\velmo.exe"
  Delete "$INSTDIR\html\help.css"
  Delete "$INSTDIR\html\option.html"
  Delete "$INSTDIR\html\option_en.html"
  RMDir "$INSTDIR\html"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RemoveSettings)" /SD IDNO IDNO keep_settings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${PUBLISHER_KEY}"
keep_settings:
SectionEnd

Function un.onInit
  Call un.ChooseLanguage
FunctionEnd
