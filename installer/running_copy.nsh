; What the installer and the uninstaller share: the page language, ending a running Velmo, moving
; the installed files aside (and back), and removing a hook library that the shell still holds.
!define VELMO_WINDOW_CLASS "Velmo Main"
!define VELMO_WINDOW_TITLE "Velmo"
!define IDM_EXIT 40002
!ifndef SYNCHRONIZE
  !define SYNCHRONIZE 0x00100000
!endif
!ifndef WAIT_OBJECT_0
  !define WAIT_OBJECT_0 0
!endif
!define WAIT_TIMEOUT 258
!define EXIT_WAIT_MS 10000
; The shell lets go of a hook library when its threads next wake after the hook is gone: they are
; woken by a broadcast, then the library is tried this long before it counts as held.
!define SMTO_ABORTIFHUNG 2
!define BROADCAST_TIMEOUT_MS 1000
!define RELEASE_WAIT_MS 5000
!define RELEASE_POLL_MS 250
!define LANG_PRIMARY_MASK 0x3FF
!define LANG_JAPANESE_PRIMARY 0x11
!define LANGID_JAPANESE 1041
!define LANGID_ENGLISH 1033
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; Exit codes besides 0 (1 and 2 are NSIS's own: cancelled, aborted): Velmo did not end (nothing was
; changed); another program holds an installed file so that it can be neither deleted nor renamed
; (nothing was changed, the installed Velmo works as before); Windows on ARM, which Velmo does not
; support yet (nothing was installed); the update is done once the user signs out and in again
; (ERROR_SUCCESS_REBOOT_REQUIRED, as deployment tools know it).
!define EXIT_VELMO_STILL_RUNNING 3
!define EXIT_FILE_IN_USE 4
!define EXIT_WINDOWS_ON_ARM 5
!define EXIT_SIGN_OUT_TO_FINISH 3010

Var EndedRunningCopy
; The old hook library that the shell still held, renamed beside itself; empty when none.
Var MovedLibrary
; What this run appends to the name of an installed file that it moves aside ("old-" and a number
; no file in the folder carries yet), so that "vmh.dll.old-0012ab34" says what it is.
Var OldSuffix
; The installed file that could be neither deleted nor renamed; empty when none.
Var HeldFile
; 1 once the new files are being written: putting back then also removes the new ones.
Var WritingFiles

; Deletes FILE at the next sign-in with cmd.exe, followed by COMMAND when it is not empty.
!macro DELETE_AT_SIGN_IN FILE COMMAND
  ${GetFileName} "${FILE}" $0
  WriteRegStr HKCU "${RUNONCE_KEY}" "Velmo $0" '"$SYSDIR\cmd.exe" /c del /f /q "${FILE}"${COMMAND}'
!macroend

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

; Asks a running Velmo to end, as its own Exit command does, and waits until its process has ended.
; A copy that does not end (or whose process cannot be waited for) stops the run here, before
; anything is changed: a message, or in a silent run the exit code EXIT_VELMO_STILL_RUNNING.
Function ${UN}EndRunningCopy
  StrCpy $EndedRunningCopy 0
  FindWindow $0 "${VELMO_WINDOW_CLASS}" "${VELMO_WINDOW_TITLE}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "$(EndingVelmo)"
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
  StrCpy $3 ${WAIT_TIMEOUT}
  ${If} $2 P<> 0
    System::Call 'user32::PostMessage(p r0, i ${WM_COMMAND}, p ${IDM_EXIT}, p 0)'
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${EXIT_WAIT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  ${If} $3 <> ${WAIT_OBJECT_0}
    MessageBox MB_ICONSTOP "$(VelmoDidNotEnd)" /SD IDOK
    SetErrorLevel ${EXIT_VELMO_STILL_RUNNING}
    Abort
  ${EndIf}
  StrCpy $EndedRunningCopy 1
FunctionEnd

; Chooses $OldSuffix for this run.
Function ${UN}ChooseOldSuffix
  System::Call 'kernel32::GetTickCount() i .r0'
  ${Do}
    IntFmt $OldSuffix "old-%08x" $0
    IntOp $0 $0 + 1
    ${IfNot} ${FileExists} "$INSTDIR\*.$OldSuffix"
    ${AndIfNot} ${FileExists} "$INSTDIR\html\*.$OldSuffix"
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd

; Renames the installed file $INSTDIR\$R9 beside itself, unless an earlier one could not be moved. A
; rename in one folder never copies, and Windows allows it for a library that a process has loaded;
; it fails only when a program opened the file without letting others delete it: $HeldFile.
Function ${UN}MoveAside
  ${If} $HeldFile != ""
  ${OrIfNot} ${FileExists} "$INSTDIR\$R9"
    Return
  ${EndIf}
  ClearErrors
  Rename "$INSTDIR\$R9" "$INSTDIR\$R9.$OldSuffix"
  ${If} ${Errors}
    StrCpy $HeldFile "$INSTDIR\$R9"
  ${EndIf}
FunctionEnd

; Deletes the old hook library $R9 (already moved aside). Windows refuses to delete a library that a
; process has loaded, and the shell keeps the hook library until its threads wake after Velmo has
; ended: they are woken and given a few seconds. A library still held then stays, under its new
; name, as $MovedLibrary, for the caller to have it deleted at the next sign-in.
Function ${UN}RemoveHookLibrary
  StrCpy $MovedLibrary ""
  ${IfNot} ${FileExists} "$R9"
    Return
  ${EndIf}
  System::Call 'user32::SendMessageTimeout(p ${HWND_BROADCAST}, i ${WM_NULL}, p 0, p 0, i ${SMTO_ABORTIFHUNG}, i ${BROADCAST_TIMEOUT_MS}, *p .r0)'
  StrCpy $1 0
  ${Do}
    ClearErrors
    Delete "$R9"
    ${IfNot} ${Errors}
      Return
    ${EndIf}
    ${If} $1 >= ${RELEASE_WAIT_MS}
      ${Break}
    ${EndIf}
    Sleep ${RELEASE_POLL_MS}
    IntOp $1 $1 + ${RELEASE_POLL_MS}
  ${Loop}
  DetailPrint "$(MovedHeldFile) $R9"
  StrCpy $MovedLibrary "$R9"
FunctionEnd
!macroend

; Undoes MoveAside for $INSTDIR\$R9: the file this run wrote there goes, the old one comes back.
Function PutBack
  ${If} ${FileExists} "$INSTDIR\$R9.$OldSuffix"
  ${OrIf} $WritingFiles == 1
    Delete "$INSTDIR\$R9"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\$R9.$OldSuffix"
    Rename "$INSTDIR\$R9.$OldSuffix" "$INSTDIR\$R9"
  ${EndIf}
FunctionEnd

!insertmacro RUNNING_COPY_FUNCTIONS ""
!insertmacro RUNNING_COPY_FUNCTIONS "un."
