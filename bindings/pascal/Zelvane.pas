{ Pascal binding of the Zelvane library (zelvane.h), for Free Pascal and Delphi.

  The exports keep their C names and the C calling convention (cdecl); records go by
  pointer, as Free Pascal would pass a const record by value under cdecl. The records
  have the header's layouts with explicit padding and are checked at compile time:
  a mismatch does not compile. Texts are code page 1250 on both sides; ZelvaneText
  decodes one for display.

  Errors: a run the library refuses has told why in a status notice (6 or 8, the
  job's text and code) on the caller's thread before it returns 0. With
  ZelvaneObserve installed, ZelvaneRun and ZelvaneCollect raise EZelvaneError with
  that code and text; without such a notice they take ScanerError and ScanerErrMsg,
  which answer Ondrell's error in a build that forwards them.

  Callbacks run on the library's threads. In Free Pascal on Unix, put cthreads first
  in the program's uses clause. }
unit Zelvane;

{$IFDEF FPC}
  {$MODE DELPHI}
  {$H+}
{$ENDIF}

interface

uses
  SysUtils;

const
{$IFDEF MSWINDOWS}
  ZelvaneLibrary = 'Zelvane.dll';
{$ELSE}
  { Linked as -lzelvane; found at run time through the system's loader. }
  ZelvaneLibrary = 'zelvane';
{$ENDIF}

  { Status notice codes. }
  ZelvaneOpening = 1;
  ZelvaneTitle = 2;
  ZelvaneWait = 4;
  ZelvaneProgress = 5;
  ZelvaneNotOpened = 6;
  ZelvaneRunFailed = 7;
  ZelvanePortOrSystemFailure = 8;
  ZelvaneTransferStarts = 9;
  ZelvaneRunSucceeded = 10;
  ZelvaneDeviceClosed = 11;

  { Run modes of ZelvaneRunCollector. }
  ZelvaneReadMode = 2;
  ZelvaneLoadMode = 3;

type
  PHostLineRecord = ^THostLineRecord;
  PRunRequest = ^TRunRequest;

  TCodeCallback = procedure(Code: PAnsiChar); cdecl;
  TStatusCallback = procedure(Code: Int32; Text: PAnsiChar; First, Second: Int32); cdecl;
  TRecordCallback = procedure(LineRecord: PHostLineRecord); cdecl;
  TZelvaneMessageHandler = procedure(Text: PAnsiChar); cdecl;

  { Ten 32-bit words on 32-bit Windows; on 64-bit targets the status callback takes a
    pointer-sized slot after four bytes of padding (48 bytes). }
  TRunRequest = packed record
    Device: Int32;
    Port: Int32;
    Baud: Int32;
    Unused: array[0..5] of Int32;
{$IF SizeOf(Pointer) = 8}
    Padding: Int32;
{$IFEND}
    StatusCallback: TStatusCallback;
  end;

  { 312 bytes on every target; only code, name, quantity and price are the library's. }
  THostLineRecord = packed record
    HostData0: array[0..43] of Byte;
    Code: array[0..31] of AnsiChar;
    Name: array[0..47] of AnsiChar;
    HostData1: array[0..11] of Byte;
    Quantity: Double;
    HostData2: array[0..35] of Byte;
    Price: Double;
    HostData3: array[0..123] of Byte;
  end;

  TStatusNotice = packed record
    Code: Int32;
    Text: array[0..255] of AnsiChar;
    First: Int32;
    Second: Int32;
  end;

{$IF SizeOf(THostLineRecord) <> 312}
  {$MESSAGE ERROR 'THostLineRecord must be 312 bytes'}
{$IFEND}
{$IF SizeOf(TStatusNotice) <> 268}
  {$MESSAGE ERROR 'TStatusNotice must be 268 bytes'}
{$IFEND}
{$IF SizeOf(TRunRequest) <> 32 + 2 * SizeOf(Pointer)}
  {$MESSAGE ERROR 'TRunRequest must be 40 bytes (32-bit) or 48 bytes (64-bit)'}
{$IFEND}

  EZelvaneError = class(Exception)
  public
    Code: Int32;
    constructor Create(ACode: Int32; const AText: string);
  end;

function ScanerCreate(Window: Pointer): Int32; cdecl; external ZelvaneLibrary;
function ScanerRun(Request: PRunRequest; Callback: TCodeCallback): Int32; cdecl;
  external ZelvaneLibrary;
function ScanerBreakJob: Int32; cdecl; external ZelvaneLibrary;
function ScanerDelete: Int32; cdecl; external ZelvaneLibrary;
function ScanerError: Int32; cdecl; external ZelvaneLibrary;
function ScanerErrMsg: PAnsiChar; cdecl; external ZelvaneLibrary;
function ScanerSetBarCodeInfo(var LineRecord: THostLineRecord): Int32; cdecl;
  external ZelvaneLibrary;
function Scaner2XRun(First, Second: Int32): Int32; cdecl; external ZelvaneLibrary;
function Scaner2XBreakJob(Argument: Int32): Int32; cdecl; external ZelvaneLibrary;
procedure ZelvaneSetMessageHandler(Handler: TZelvaneMessageHandler); cdecl;
  external ZelvaneLibrary;
procedure ZelvaneSetStatusObserver(Observer: TStatusCallback); cdecl; external ZelvaneLibrary;
function ZelvaneRunCollector(Request: PRunRequest; RunMode: Int32;
  OnRecord: TRecordCallback; Records: PHostLineRecord; Count: Int32): Int32; cdecl;
  external ZelvaneLibrary;
function GetPrnNameInSession(Name: PAnsiChar): PAnsiChar; cdecl; external ZelvaneLibrary;
function PrnRawData(Name: PAnsiChar; Data: Pointer; Count: Int32): Int32; cdecl;
  external ZelvaneLibrary;

{ A library text (code page 1250) as a string of this program. }
function ZelvaneText(Text: PAnsiChar): string;

{ Installs the unit's status observer, which remembers the last failure notice and
  hands every notice on to Handler (nil: none). It runs on the library's threads. }
procedure ZelvaneObserve(Handler: TStatusCallback);

{ ScanerCreate, ScanerRun and ZelvaneRunCollector, raising EZelvaneError when they
  refuse. A run first breaks the job before it (see MakeWay). }
procedure ZelvaneCreate(Window: Pointer);
procedure ZelvaneRun(const Request: TRunRequest; Callback: TCodeCallback);
procedure ZelvaneCollect(const Request: TRunRequest; RunMode: Int32; OnRecord: TRecordCallback;
  Records: PHostLineRecord; Count: Int32);

implementation

{$IF Defined(FPC) and Defined(UNIX)}
uses
  cwstring; { the code page conversions of ZelvaneText }
{$IFEND}

type
  Cp1250String = type AnsiString(1250);

var
  ForwardedHandler: TStatusCallback = nil;
  { Written on the library's threads, so kept free of managed strings. }
  FailureSeen: Boolean = False;
  FailureCode: Int32 = 0;
  FailureText: array[0..255] of AnsiChar;

constructor EZelvaneError.Create(ACode: Int32; const AText: string);
begin
  inherited CreateFmt('%d: %s', [ACode, AText]);
  Code := ACode;
end;

function ZelvaneText(Text: PAnsiChar): string;
var
  Encoded: Cp1250String;
begin
  Encoded := Text;
{$IFDEF FPC}
  Result := UTF8Encode(UnicodeString(Encoded));
{$ELSE}
  Result := string(Encoded);
{$ENDIF}
end;

procedure ObserveNotice(Code: Int32; Text: PAnsiChar; First, Second: Int32); cdecl;
begin
  if (Code = ZelvaneNotOpened) or (Code = ZelvaneRunFailed) or
    (Code = ZelvanePortOrSystemFailure) then
  begin
    FailureCode := Second;
    StrLCopy(FailureText, Text, High(FailureText));
    FailureSeen := True;
  end;
  if Assigned(ForwardedHandler) then
    ForwardedHandler(Code, Text, First, Second);
end;

procedure ZelvaneObserve(Handler: TStatusCallback);
begin
  ForwardedHandler := Handler;
  ZelvaneSetStatusObserver(ObserveNotice);
end;

{ A job that has sent its last notice may not have ended yet, and a run of another
  device would be refused beside it; a break first makes the library wait for it. The
  break also stops a job that still runs: one job runs at a time. }
procedure MakeWay;
begin
  ScanerBreakJob;
  FailureSeen := False;
end;

procedure Check(Started: Int32);
begin
  if Started <> 0 then
    Exit;
  if not FailureSeen then
    raise EZelvaneError.Create(ScanerError, ZelvaneText(ScanerErrMsg));
  raise EZelvaneError.Create(FailureCode, ZelvaneText(FailureText));
end;

procedure ZelvaneCreate(Window: Pointer);
begin
  FailureSeen := False;
  Check(ScanerCreate(Window));
end;

procedure ZelvaneRun(const Request: TRunRequest; Callback: TCodeCallback);
begin
  MakeWay;
  Check(ScanerRun(@Request, Callback));
end;

procedure ZelvaneCollect(const Request: TRunRequest; RunMode: Int32; OnRecord: TRecordCallback;
  Records: PHostLineRecord; Count: Int32);
begin
  MakeWay;
  Check(ZelvaneRunCollector(@Request, RunMode, OnRecord, Records, Count));
end;

end.
