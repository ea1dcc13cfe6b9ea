; What the installer and the uninstaller share: the page language, ending a running Velmo, and
; moving a file that another process holds out of the way.
!define VELMO_WINDOW_CLASS "Velmo Main"
!define VELMO_WINDOW_TITLE "Velmo"
!define IDM_EXIT 40002
!ifndef SYNCHRONIZE
  !define SYNCHRONIZE 0x00100000
!endif
!define EXIT_WAIT_MS 10000
!define LANG_PRIMARY_MASK 0x3FF
!define LANG_JAPANESE_PRIMARY 0x11
!define LANGID_JAPANESE 1041
!define LANGID_ENGLISH 1033
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"

Var EndedRunningCopy

!macro RUNNING_COPY_FUNCTIONS UN
; Japanese pages when the user's interface language is Japanese, English elsewhere.
Function ${UN}ChooseLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  IntOp $0 $0 & ${LANG_PRIMARY_MASK}
  ${If} $0 = ${LANG_JAPANESE_PRIMARY}
    StrCpy $LANGUAGE ${LANGID_JAPANESE}
  ${Else}
    StrCpy $LANGUAGE ${LANGID_ENGLISH}
  ${EndIf}
FunctionEnd

; Asks a running Velmo to end, as its own Exit command does, and waits for its process to end.
Function ${UN}EndRunningCopy
  StrCpy $EndedRunningCopy 0
  FindWindow $0 "${VELMO_WINDOW_CLASS}" "${VELMO_WINDOW_TITLE}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "$(EndingVelmo)"
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
  System::Call 'user32::PostMessage(p r0, i ${WM_COMMAND}, p ${IDM_EXIT}, p 0)'
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${EXIT_WAIT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  StrCpy $EndedRunningCopy 1
FunctionEnd

; Removes the file $R9. Windows refuses to delete a library that a process has loaded (the shell
; keeps the hook library after Velmo has ended) but lets it be renamed: such a file moves into the
; temporary folder, or beside itself, and is deleted at the next sign-in.
Function ${UN}MoveAsideHeldFile
  ${IfNot} ${FileExists} "$R9"
    Return
  ${EndIf}
  ClearErrors
  Delete "$R9"
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  GetTempFileName $0
  Delete "$0"
  ClearErrors
  Rename "$R9" "$0"
  ${If} ${Errors}
    StrCpy $0 "$R9.old"
    Delete "$0"
    ClearErrors
    Rename "$R9" "$0"
  ${EndIf}
  ${If} ${Errors}
    DetailPrint "$(CannotMoveFile) $R9"
    Return
  ${EndIf}
  DetailPrint "$(MovedHeldFile) $0"
  ${GetFileName} "$0" $1
  WriteRegStr HKCU "${RUNONCE_KEY}" "Velmo $1" '"$SYSDIR\cmd.exe" /c del /f /q "$0"'
FunctionEnd
!macroend

!insertmacro RUNNING_COPY_FUNCTIONS ""
!insertmacro RUNNING_COPY_FUNCTIONS "un."
