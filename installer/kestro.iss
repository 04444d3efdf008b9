; Kestro's installer, for Inno Setup 6: a per-user install without administrator rights.
; The build makes it (cmake --build <build> --target installer) and defines:
;   AppVersion    the product version, e.g. 1.2.0 (also the installer's file version and name)
;   SourceExe     the Kestro.exe to install
;   IconFile      the program's icon
;   OutputDir     where Kestro-Setup-<AppVersion>.exe goes
;   RunningMutex  the mutex every running Kestro.exe holds
;
; The updater starts it as  Kestro-Setup-<version>.exe /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1
; from the Kestro that is about to close: it waits (at most 30 s) until no Kestro runs, puts
; the files in place and starts the new Kestro. An update that gives up (another Kestro stays
; open) changes nothing and starts the installed Kestro again, so the user keeps one. Settings (HKCU\Software\Kestro) are never
; touched by an install or update; uninstalling removes them with Kestro.exe --unregister.

#ifndef AppVersion
  #error Define AppVersion, e.g. /DAppVersion=1.2.0
#endif
#ifndef SourceExe
  #error Define SourceExe, the Kestro.exe to install
#endif
#ifndef IconFile
  #error Define IconFile, the program's icon
#endif
#ifndef OutputDir
  #error Define OutputDir, where the installer goes
#endif
#ifndef RunningMutex
  #error Define RunningMutex, the mutex a running Kestro.exe holds
#endif

; How long an update waits for the Kestro that started it to end.
#define CloseWaitSeconds 30

; The access asked for when opening Kestro's mutex: SYNCHRONIZE, the least there is. A test build
; asks for all access instead (/DRunningMutexAccess=2031617), because Wine grants SYNCHRONIZE
; whatever a mutex's DACL says and so could not show otherwise what a refused open does.
#ifndef RunningMutexAccess
  #define RunningMutexAccess "$00100000"
#endif

[Setup]
AppId={{C6B4F1B2-8E3D-4B7A-9F21-3D5A0E7C4B19}
AppName=Kestro
AppVersion={#AppVersion}
AppVerName=Kestro {#AppVersion}
AppPublisher=Lumwerk
AppPublisherURL=https://lumwerk.example/
AppSupportURL=https://lumwerk.example/Kestro/
VersionInfoVersion={#AppVersion}
VersionInfoProductVersion={#AppVersion}
VersionInfoCompany=Lumwerk
VersionInfoProductName=Kestro
VersionInfoDescription=Kestro Setup
PrivilegesRequired=lowest
; The per-user programs folder ({userpf}); spelled out, as the same folder always is.
DefaultDirName={localappdata}\Programs\Kestro
DisableDirPage=yes
DisableProgramGroupPage=yes
UninstallDisplayName=Kestro
UninstallDisplayIcon={app}\Kestro.exe
SetupIconFile={#IconFile}
OutputDir={#OutputDir}
OutputBaseFilename=Kestro-Setup-{#AppVersion}
ArchitecturesAllowed=x64compatible
ArchitecturesInstallIn64BitMode=x64compatible
MinVersion=10.0
Compression=lzma2/max
SolidCompression=yes
WizardStyle=modern
ShowLanguageDialog=no
; Waiting for Kestro is this script's own (below), by the mutex Kestro holds.
CloseApplications=no
RestartApplications=no

[Languages]
Name: "en"; MessagesFile: "compiler:Default.isl"
Name: "ko"; MessagesFile: "compiler:Languages\Korean.isl"
Name: "ja"; MessagesFile: "compiler:Languages\Japanese.isl"
Name: "de"; MessagesFile: "compiler:Languages\German.isl"
Name: "fr"; MessagesFile: "compiler:Languages\French.isl"
Name: "es"; MessagesFile: "compiler:Languages\Spanish.isl"
Name: "pt"; MessagesFile: "compiler:Languages\BrazilianPortuguese.isl"
Name: "ru"; MessagesFile: "compiler:Languages\Russian.isl"

[CustomMessages]
en.WaitingForKestro=Waiting for Kestro to close…
en.KestroStillRunning=Kestro is still running. Close it, then try again.
ko.WaitingForKestro=Kestro가 닫히기를 기다리는 중…
ko.KestroStillRunning=Kestro가 아직 실행 중입니다. Kestro를 닫은 뒤 다시 시도하세요.
ja.WaitingForKestro=Kestro の終了を待っています…
ja.KestroStillRunning=Kestro がまだ実行中です。Kestro を閉じてから、もう一度お試しください。
de.WaitingForKestro=Warten, bis Kestro geschlossen ist …
de.KestroStillRunning=Kestro läuft noch. Schließen Sie Kestro und versuchen Sie es erneut.
fr.WaitingForKestro=En attente de la fermeture de Kestro…
fr.KestroStillRunning=Kestro est toujours ouvert. Fermez-le, puis réessayez.
es.WaitingForKestro=Esperando a que Kestro se cierre…
es.KestroStillRunning=Kestro sigue abierto. Ciérrelo y vuelva a intentarlo.
pt.WaitingForKestro=Aguardando o Kestro fechar…
pt.KestroStillRunning=O Kestro ainda está aberto. Feche-o e tente novamente.
ru.WaitingForKestro=Ожидание закрытия Kestro…
ru.KestroStillRunning=Kestro всё ещё работает. Закройте его и повторите попытку.

[Files]
Source: "{#SourceExe}"; DestDir: "{app}"; DestName: "Kestro.exe"; Flags: ignoreversion

[Icons]
Name: "{userprograms}\Kestro"; Filename: "{app}\Kestro.exe"

[Run]
; An interactive install offers to start Kestro; an update starts it once the files are in place.
Filename: "{app}\Kestro.exe"; Description: "{cm:LaunchProgram,Kestro}"; Flags: nowait postinstall skipifsilent; Check: not IsUpdate
Filename: "{app}\Kestro.exe"; Flags: nowait; Check: IsUpdate

[UninstallRun]
Filename: "{app}\Kestro.exe"; Parameters: "--unregister"; RunOnceId: "RemoveSettings"; Flags: runhidden waituntilterminated

[Code]
function IsUpdate: Boolean;
begin
  Result := ExpandConstant('{param:UPDATE|0}') = '1';
end;

const
  ERROR_ACCESS_DENIED = 5;

function OpenMutexW(DesiredAccess: Cardinal; InheritHandle: Integer; Name: String): Integer;
  external 'OpenMutexW@kernel32.dll stdcall';
function CloseHandle(Handle: Integer): Integer;
  external 'CloseHandle@kernel32.dll stdcall';

// Kestro runs while its mutex exists. A Kestro raised to administrator may hold one that this
// user may not open: access denied says that it exists all the same. (CheckForMutexes counts
// only a mutex it could open, and would take that Kestro for closed.)
function KestroRunning: Boolean;
var
  Mutex: Integer;
begin
  Mutex := OpenMutexW({#RunningMutexAccess}, 0, '{#RunningMutex}');
  if Mutex <> 0 then
  begin
    CloseHandle(Mutex);
    Result := True;
  end else
    Result := DLLGetLastError = ERROR_ACCESS_DENIED;
end;

// Waits until no Kestro runs, at most CloseWaitSeconds; True when none runs any more.
function WaitForKestroToClose(Shown: TOutputMarqueeProgressWizardPage): Boolean;
var
  Waited: Integer;
begin
  Waited := 0;
  while KestroRunning and (Waited < {#CloseWaitSeconds} * 1000) do
  begin
    if Shown <> nil then Shown.Animate;
    Sleep(100);
    Waited := Waited + 100;
  end;
  Result := not KestroRunning;
end;

// An update closed the Kestro that started it; when the update cannot go on, that user must
// not be left without one.
procedure StartInstalledKestro;
var
  Ignored: Integer;
begin
  if FileExists(ExpandConstant('{app}\Kestro.exe')) then
    Exec(ExpandConstant('{app}\Kestro.exe'), '', '', SW_SHOWNORMAL, ewNoWait, Ignored);
end;

// Before a single file is touched: an update started by Kestro waits for it to end; so does an
// install while Kestro is open, showing why. Still running after that: nothing is changed,
// the wizard says why (silently: exit code 7), and an update starts the installed Kestro again.
function PrepareToInstall(var NeedsRestart: Boolean): String;
var
  Waiting: TOutputMarqueeProgressWizardPage;
begin
  Result := '';
  if not KestroRunning then Exit;
  Waiting := nil;
  if not WizardSilent then
  begin
    Waiting := CreateOutputMarqueeProgressPage(SetupMessage(msgWizardPreparing), CustomMessage('WaitingForKestro'));
    Waiting.Show;
  end;
  try
    if not WaitForKestroToClose(Waiting) then Result := CustomMessage('KestroStillRunning');
  finally
    if Waiting <> nil then Waiting.Hide;
  end;
  if (Result <> '') and IsUpdate then StartInstalledKestro;
end;

// A running Kestro keeps its program file in use: the uninstall waits for it the same way.
function InitializeUninstall: Boolean;
begin
  Result := WaitForKestroToClose(nil);
  if not Result then
    SuppressibleMsgBox(CustomMessage('KestroStillRunning'), mbError, MB_OK, IDOK);
end;

// Kestro's working folder (%TEMP%\Kestro, where updates are downloaded) goes with it.
procedure CurUninstallStepChanged(CurUninstallStep: TUninstallStep);
begin
  if CurUninstallStep = usPostUninstall then
    DelTree(AddBackslash(GetTempDir) + 'Kestro', True, True, True);
end;
