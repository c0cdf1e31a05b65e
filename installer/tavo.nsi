; The setup program: installs Tavo for the current user, no administrator,
; the 64-bit programs on 64-bit Windows and the 32-bit ones elsewhere.
; Built by scripts/package:
;   makensis -DVERSION=1.70.1 -DSTAGE32=<build/win32/package> -DSTAGE64=<build/win64/package>
;            -DOUTFILE=<build/Tavo-1.70.1-setup.exe> installer/tavo.nsi
; Silent use: setup /S [/STARTUP=0|1] [/D=folder]; Uninstall.exe /S [/PURGE].
; Users get it as a 32-bit program, which runs on every Windows. -DAMD64
; builds the same setup as a 64-bit program, for tests under a Wine that runs
; no 32-bit programs.

!ifdef AMD64
  Target amd64-unicode
  !pragma warning disable 6012  ; ${RunningX64} is known at build time: the 32-bit branch goes
!endif
Unicode true
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!macro Require name
  !ifndef ${name}
    !error "define ${name} on the makensis command line (see the head of this file)"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require STAGE32
!insertmacro Require STAGE64
!insertmacro Require OUTFILE
!searchparse /noerrors "${VERSION}" "" V_MAJOR "." V_MINOR "." V_PATCH
!ifndef V_PATCH
  !error "VERSION is major.minor.patch, not ${VERSION}"
!endif

!define PUBLISHER "Tavo developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Where Windows' Startup apps page keeps its own switch for a Run value.
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define SETTINGS_PARENT "Software\VB and VBA Program Settings"
!define SETTINGS_KEY "${SETTINGS_PARENT}\Tavo for Windows NT/95"
!define OWED_KEY "Software\Tavo"
; Tavo's main window and single-instance mutex, as Tavo.exe makes them.
!define TAVO_CLASS "ThunderRT6FormDC"
!define TAVO_TITLE "Tavo"
!define TAVO_MUTEX "Local\Tavo.SingleInstance"
!define SETUP_MUTEX "Local\Tavo.Setup"

Name "Tavo"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tavo"
; A reinstall goes where the last one went; /D= still wins.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Tavo ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define MUI_ICON "../res/tavo.ico"
!define MUI_UNICON "../res/tavo.ico"

Var StartAtSignIn  ; 1: write the Run value
Var Purge          ; 1: the uninstaller deletes the settings too
Var Box

Page custom OptionsPage OptionsLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tavo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunTavo)"
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsLeave
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where the system's is not listed.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!include lang.nsh

VIProductVersion "${V_MAJOR}.${V_MINOR}.0.${V_PATCH}"
VIFileVersion "${V_MAJOR}.${V_MINOR}.0.${V_PATCH}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Tavo"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Tavo Setup"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"

; ---- shared by setup and uninstaller ---------------------------------------

; Setup and uninstaller never run twice at once, nor beside each other. The
; mutex's handle stays open until the process ends.
!macro OneAtATime
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $1 = 183  ; ERROR_ALREADY_EXISTS
    MessageBox MB_OK|MB_ICONSTOP "$(SetupRunning)" /SD IDOK
    Abort
  ${EndIf}
!macroend

; Aborts with the file's name in the message when a program holds it open
; (a running program cannot be opened for writing).
!macro FailWhenInUse file cleanup
  ${If} ${FileExists} "${file}"
    ClearErrors
    FileOpen $R9 "${file}" a
    ${If} ${Errors}
      StrCpy $R9 "${file}"
      MessageBox MB_OK|MB_ICONSTOP "$(FileInUse)" /SD IDOK
      Call ${cleanup}
      Abort
    ${EndIf}
    FileClose $R9
  ${EndIf}
!macroend

; What setup put into a folder, and nothing the user put there.
!macro RemoveProgramFiles folder
  Delete "${folder}\Tavo.exe"
  Delete "${folder}\Wavmend.exe"
  Delete "${folder}\readme.txt"
  RMDir /r "${folder}\TavoHELP"
  Delete "${folder}\Uninstall.exe"
!macroend

!macro EndTavoFunctions un
; 1 on the stack while Tavo's window or its instance mutex is still there:
; the window goes first, the mutex and the program file when the process ends.
Function ${un}TavoRuns
  Push $0
  FindWindow $0 "${TAVO_CLASS}" "${TAVO_TITLE}"
  ${If} $0 = 0
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${TAVO_MUTEX}") p .r0'
    ${If} $0 <> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
  ${If} $0 <> 0
    StrCpy $0 1
  ${EndIf}
  Exch $0
FunctionEnd

; Ends a running Tavo through its own hand-over ("Tavo.exe /x"): it gives
; the window carrying the clock its title back and stores its directory and
; version. Waits at most 10 s for the process to go; aborts when it stays.
Function ${un}EndTavo
  FindWindow $0 "${TAVO_CLASS}" "${TAVO_TITLE}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "$(ClosingTavo)"
  ; The Run value as setup writes it: the quoted path of Tavo.exe.
  ReadRegStr $1 HKCU "${RUN_KEY}" "Tavo"
  StrCpy $2 $1 1
  StrCpy $3 $1 "" -1
  ${If} $2 == '"'
  ${AndIf} $3 == '"'
    StrCpy $1 $1 -1 1
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\Tavo.exe"
    ExecWait '"$INSTDIR\Tavo.exe" /x'
  ${ElseIf} ${FileExists} $1
    ExecWait '"$1" /x'
  ${Else}
    ; No Tavo.exe at hand: the close request "/x" would post.
    System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
  ${EndIf}
  ${For} $2 1 100
    Call ${un}TavoRuns
    Pop $3
    ${If} $3 = 0
      Return
    ${EndIf}
    Sleep 100
  ${Next}
  MessageBox MB_OK|MB_ICONSTOP "$(TavoDidNotEnd)" /SD IDOK
  Call ${un}FailCleanup
  Abort
FunctionEnd
!macroend
!insertmacro EndTavoFunctions ""
!insertmacro EndTavoFunctions "un."

; ---- setup -------------------------------------------------------------------

Function .onInit
  !insertmacro OneAtATime
  ; NSIS drops a /D= folder it finds unusable (a drive that is not there) for
  ; the default without a word; say so instead.
  System::Call 'kernel32::GetCommandLineW() w .r0'
  ClearErrors
  ${GetOptions} $0 "/D=" $1
  ${IfNot} ${Errors}
    StrCpy $2 $1 "" -1
    ${If} $2 == "\"
      StrCpy $1 $1 -1
    ${EndIf}
    ${If} $1 != $INSTDIR
      StrCpy $INSTDIR $1
      MessageBox MB_OK|MB_ICONSTOP "$(FolderNotWritable)" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  ; On by default; a reinstall keeps the earlier choice; /STARTUP= decides.
  StrCpy $StartAtSignIn 1
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${RUN_KEY}" "Tavo"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    StrCpy $StartAtSignIn 0
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "0"
      StrCpy $StartAtSignIn 0
    ${Else}
      StrCpy $StartAtSignIn 1
    ${EndIf}
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "$(OptionsTitle)" "$(OptionsSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 10u "$(FolderLabel)"
  Pop $0
  ${NSD_CreateLabel} 10u 12u 290u 10u "$INSTDIR"
  Pop $0
  ${NSD_CreateCheckbox} 0 36u 100% 12u "$(StartAtSignIn)"
  Pop $Box
  ${If} $StartAtSignIn = 1
    ${NSD_Check} $Box
  ${EndIf}
  ${NSD_CreateLabel} 12u 50u 288u 20u "$(StartAtSignInNote)"
  Pop $0
  ; Nothing else to ask: the next step installs.
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^InstallBtn)"
  nsDialogs::Show
FunctionEnd

Function OptionsLeave
  ${NSD_GetState} $Box $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $StartAtSignIn 1
  ${Else}
    StrCpy $StartAtSignIn 0
  ${EndIf}
  Call Prepare
FunctionEnd

; The topmost folder setup made on the way to $INSTDIR; a failure before the
; first file takes them all away again (only while they are empty).
Var MadeFolder
Var OldFolder  ; where the last install went
Function FailCleanup
  ${If} $MadeFolder != ""
    StrCpy $0 $INSTDIR
    ${Do}
      RMDir $0
      ${If} $0 == $MadeFolder
        ${Break}
      ${EndIf}
      ${GetParent} $0 $0
    ${LoopUntil} $0 == ""
  ${EndIf}
FunctionEnd
Function un.FailCleanup
FunctionEnd

; Everything that can stop setup, before any file is written. Run when the
; options page is left, so that a failure keeps the user on that page to
; try again; a silent setup runs it from the section.
Function Prepare
  StrCpy $MadeFolder ""
  StrCpy $0 $INSTDIR
  ${DoUntil} $0 == ""
    ${If} ${FileExists} "$0\*.*"
      ${Break}
    ${EndIf}
    StrCpy $MadeFolder $0
    ${GetParent} $0 $0
  ${Loop}
  ReadRegStr $OldFolder HKCU "${UNINST_KEY}" "InstallLocation"
  StrCpy $1 0
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${IfNot} ${Errors}
    FileOpen $0 "$INSTDIR\Tavo-setup.tmp" w
    ${IfNot} ${Errors}
      FileClose $0
      Delete "$INSTDIR\Tavo-setup.tmp"
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
  ${If} $1 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(FolderNotWritable)" /SD IDOK
    Call FailCleanup
    Abort
  ${EndIf}

  Call EndTavo
  !insertmacro FailWhenInUse "$INSTDIR\Tavo.exe" FailCleanup
  !insertmacro FailWhenInUse "$INSTDIR\Wavmend.exe" FailCleanup
FunctionEnd

Section "-Tavo"
  ${If} ${Silent}
    Call Prepare
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${STAGE64}/Tavo.exe"
    File "${STAGE64}/Wavmend.exe"
    File "${STAGE64}/readme.txt"
  ${Else}
    File "${STAGE32}/Tavo.exe"
    File "${STAGE32}/Wavmend.exe"
    File "${STAGE32}/readme.txt"
  ${EndIf}
  ; The help page is the same in both flavours.
  File /r "${STAGE64}/TavoHELP"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; A move to another folder takes the earlier install along; its Tavo ended above.
  ${If} $OldFolder != ""
  ${AndIf} $OldFolder != $INSTDIR
  ${AndIf} ${FileExists} "$OldFolder\Uninstall.exe"
    !insertmacro RemoveProgramFiles "$OldFolder"
    RMDir "$OldFolder"
  ${EndIf}

  ; Names follow the setup's language: drop those of an earlier one.
  Delete "$SMPROGRAMS\Tavo\*.lnk"
  CreateDirectory "$SMPROGRAMS\Tavo"
  CreateShortcut "$SMPROGRAMS\Tavo\Tavo.lnk" "$INSTDIR\Tavo.exe"
  CreateShortcut "$SMPROGRAMS\Tavo\Wavmend.lnk" "$INSTDIR\Wavmend.exe"
  CreateShortcut "$SMPROGRAMS\Tavo\$(HelpLink).lnk" "$INSTDIR\TavoHELP\index.html"
  CreateShortcut "$SMPROGRAMS\Tavo\$(UninstallLink).lnk" "$INSTDIR\Uninstall.exe"

  ; Replaces a value that points at another folder, whose Tavo ended above.
  ${If} $StartAtSignIn = 1
    WriteRegStr HKCU "${RUN_KEY}" "Tavo" '"$INSTDIR\Tavo.exe"'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "Tavo"
  ${EndIf}

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Tavo"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Tavo.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; ---- uninstaller -------------------------------------------------------------

Function un.onInit
  !insertmacro OneAtATime
  StrCpy $Purge 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    StrCpy $Purge 1
  ${EndIf}
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "$(RemoveTitle)" "$(RemoveSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 10u "$(RemoveFolderLabel)"
  Pop $0
  ${NSD_CreateLabel} 10u 12u 290u 10u "$INSTDIR"
  Pop $0
  ${NSD_CreateCheckbox} 0 36u 100% 12u "$(RemoveSettings)"
  Pop $Box
  ${If} $Purge = 1
    ${NSD_Check} $Box
  ${EndIf}
  ${NSD_CreateLabel} 12u 50u 288u 20u "$(RemoveSettingsNote)"
  Pop $0
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
  nsDialogs::Show
FunctionEnd

Function un.OptionsLeave
  ${NSD_GetState} $Box $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $Purge 1
  ${Else}
    StrCpy $Purge 0
  ${EndIf}
  Call un.Prepare
FunctionEnd

Function un.Prepare
  Call un.EndTavo
  !insertmacro FailWhenInUse "$INSTDIR\Tavo.exe" un.FailCleanup
  !insertmacro FailWhenInUse "$INSTDIR\Wavmend.exe" un.FailCleanup
FunctionEnd

Section "Uninstall"
  ${If} ${Silent}
    Call un.Prepare
  ${EndIf}

  !insertmacro RemoveProgramFiles "$INSTDIR"
  RMDir /r "$SMPROGRAMS\Tavo"

  ; Only our own Run value: another one starts a Tavo the user put elsewhere.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Tavo"
  ${If} $0 == '"$INSTDIR\Tavo.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "Tavo"
    DeleteRegValue HKCU "${APPROVED_KEY}" "Tavo"
  ${EndIf}
  DeleteRegKey HKCU "${UNINST_KEY}"

  ${If} $Purge = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
    DeleteRegKey HKCU "${OWED_KEY}"
  ${EndIf}
  ; Last, so that a caller waiting for the folder to go finds everything done.
  RMDir "$INSTDIR"
SectionEnd
