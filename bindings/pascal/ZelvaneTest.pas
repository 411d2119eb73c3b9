{ The unit against the Linux library and the simulators that scripts/check-bindings.sh
  starts: the records' offsets as the C compiler lays out zelvane.h (the file named by
  ZELVANE_LAYOUTS), and the output of the example host (the program named as the
  first argument) against ZELVANE_EXAMPLE_OUTPUT.
    ZelvaneTest EXAMPLE_HOST }
program ZelvaneTest;

{$IFDEF FPC}
  {$MODE DELPHI}
  {$H+}
{$ENDIF}

uses
  SysUtils, Classes, Process, Zelvane;

var
  Passed: Integer = 0;
  Failed: Integer = 0;

procedure Expect(Holds: Boolean; const What: string);
begin
  if Holds then
    Inc(Passed)
  else
  begin
    Inc(Failed);
    WriteLn('FAILED: ', What);
  end;
end;

function Offset(Field, Start: Pointer): PtrUInt;
begin
  Result := PtrUInt(Field) - PtrUInt(Start);
end;

{ "Record.field offset" lines, as bindings/record_layouts.c prints them. }
function DeclaredLayouts: TStringList;
var
  Request: TRunRequest;
  Line: THostLineRecord;
  Notice: TStatusNotice;

  procedure Add(const Name: string; Value: PtrUInt);
  begin
    Result.Add(Name + ' ' + IntToStr(Value));
  end;

begin
  Result := TStringList.Create;
  Add('RunRequest.device', Offset(@Request.Device, @Request));
  Add('RunRequest.port', Offset(@Request.Port, @Request));
  Add('RunRequest.baud', Offset(@Request.Baud, @Request));
  Add('RunRequest.unused', Offset(@Request.Unused, @Request));
  Add('RunRequest.status_callback', Offset(@@Request.StatusCallback, @Request));
  Add('RunRequest.size', SizeOf(Request));
  Add('HostLineRecord.code', Offset(@Line.Code, @Line));
  Add('HostLineRecord.name', Offset(@Line.Name, @Line));
  Add('HostLineRecord.quantity', Offset(@Line.Quantity, @Line));
  Add('HostLineRecord.price', Offset(@Line.Price, @Line));
  Add('HostLineRecord.size', SizeOf(Line));
  Add('StatusNotice.code', Offset(@Notice.Code, @Notice));
  Add('StatusNotice.text', Offset(@Notice.Text, @Notice));
  Add('StatusNotice.first', Offset(@Notice.First, @Notice));
  Add('StatusNotice.second', Offset(@Notice.Second, @Notice));
  Add('StatusNotice.size', SizeOf(Notice));
end;

function FileText(const Path: string): string;
var
  Lines: TStringList;
begin
  Lines := TStringList.Create;
  try
    Lines.LoadFromFile(Path);
    Result := Lines.Text;
  finally
    Lines.Free;
  end;
end;

procedure ExpectHeaderLayouts;
var
  Declared: TStringList;
begin
  Declared := DeclaredLayouts;
  try
    Expect(Declared.Text = FileText(GetEnvironmentVariable('ZELVANE_LAYOUTS')),
      'the records as the header lays them out:' + LineEnding + Declared.Text);
  finally
    Declared.Free;
  end;
end;

procedure ExpectExampleOutput(const ExampleHost: string);
var
  Shown: string;
begin
  Expect(RunCommand(ExampleHost, ['1', '2', '3', '4'], Shown), 'the example host runs');
  Shown := StringReplace(Shown, #13#10, #10, [rfReplaceAll]);
  Expect(Shown = FileText(GetEnvironmentVariable('ZELVANE_EXAMPLE_OUTPUT')),
    'the example host shows what the devices sent:' + LineEnding + Shown);
end;

begin
  ExpectHeaderLayouts;
  ExpectExampleOutput(ParamStr(1));
  WriteLn(Passed, ' passed, ', Failed, ' failed');
  if Failed > 0 then
    Halt(1);
end.
