{ A small host: reads a scanner and a scale, downloads a CipherLab collector and shows
  how a refused run looks.
    ExampleHost SCANNER_PORT SCALE_PORT COLLECTOR_PORT BUSY_PORT }
program ExampleHost;

{$IFDEF FPC}
  {$MODE DELPHI}
  {$H+}
{$ENDIF}

uses
{$IFDEF UNIX}
  cthreads,
{$ENDIF}
  SysUtils, SyncObjs, Zelvane;

const
  MetrologicScanner = 402;
  RadwagScale = 601;
  CipherLabCollector = 500;
  MaxRecords = 100;
  PatienceMs = 30000; { a device that sends nothing for this long is missing }

var
  { Filled on the library's threads; read once the events say so. }
  Reading: array[0..31] of AnsiChar;
  ReadingTaken: TEvent;
  JobEnded: TEvent;
  Records: array[0..MaxRecords - 1] of THostLineRecord;
  RecordCount: Integer = 0;
  Decimals: TFormatSettings;

procedure TakeReading(Code: PAnsiChar); cdecl;
begin
  if ReadingTaken.WaitFor(0) = wrSignaled then
    Exit;
  StrLCopy(Reading, Code, High(Reading));
  ReadingTaken.SetEvent;
end;

procedure TakeRecord(LineRecord: PHostLineRecord); cdecl;
begin
  if RecordCount < MaxRecords then
  begin
    Records[RecordCount] := LineRecord^;
    Inc(RecordCount);
  end;
end;

procedure TakeNotice(Code: Int32; Text: PAnsiChar; First, Second: Int32); cdecl;
begin
  if (Code = ZelvaneDeviceClosed) or (Code = ZelvanePortOrSystemFailure) then
    JobEnded.SetEvent;
end;

function Request(Device, Port: Int32): TRunRequest;
begin
  FillChar(Result, SizeOf(Result), 0);
  Result.Device := Device;
  Result.Port := Port;
  Result.Baud := 9600;
end;

procedure Await(Event: TEvent; const What: string);
begin
  if Event.WaitFor(PatienceMs) <> wrSignaled then
    raise Exception.Create('no ' + What + ' within 30 s');
end;

{ The first reading of a job, which is then broken and waited for. }
function FirstReading(Device, Port: Int32): string;
begin
  ReadingTaken.ResetEvent;
  JobEnded.ResetEvent;
  ZelvaneRun(Request(Device, Port), TakeReading);
  Await(ReadingTaken, 'reading');
  ScanerBreakJob;
  Await(JobEnded, 'end of the job');
  Result := ZelvaneText(Reading);
end;

procedure Download(Port: Int32);
var
  I: Integer;
begin
  JobEnded.ResetEvent;
  ZelvaneCollect(Request(CipherLabCollector, Port), ZelvaneReadMode, TakeRecord, nil, 0);
  Await(JobEnded, 'end of the transfer');
  for I := 0 to RecordCount - 1 do
    with Records[I] do
      WriteLn('record ', ZelvaneText(Code), ';', ZelvaneText(Name), ';',
        FloatToStr(Quantity, Decimals), ';', FormatFloat('0.00', Price, Decimals));
end;

begin
  Decimals := FormatSettings;
  Decimals.DecimalSeparator := '.';
  ReadingTaken := TEvent.Create(nil, True, False, '');
  JobEnded := TEvent.Create(nil, True, False, '');
  ZelvaneObserve(TakeNotice);
  ZelvaneCreate(nil);
  try
    WriteLn('code ', FirstReading(MetrologicScanner, StrToInt(ParamStr(1))));
    WriteLn('weight ', FirstReading(RadwagScale, StrToInt(ParamStr(2))));
    Download(StrToInt(ParamStr(3)));
    try
      ZelvaneRun(Request(MetrologicScanner, StrToInt(ParamStr(4))), TakeReading);
    except
      on Error: EZelvaneError do
        WriteLn('error ', Error.Message);
    end;
  finally
    ScanerDelete;
  end;
end.
