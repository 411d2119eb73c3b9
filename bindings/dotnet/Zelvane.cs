// C# binding of the Zelvane library (zelvane.h), for .NET Framework on Windows and
// Mono on Linux. Build: mcs -unsafe -target:library -out:Zelvane.Net.dll Zelvane.cs
// (the native library's own name, Zelvane.dll, is taken on Windows).
//
// The library is found by the full path in ZELVANE_LIBRARY when it is set (loaded
// first, so that the imports below resolve to it), else by its name through the
// system's loader: Zelvane.dll on the DLL search path, libzelvane.so.0 on Linux
// (Zelvane.Net.dll.config maps the name for Mono).
using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Text;
using System.Threading;

namespace Zelvane
{
    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    public delegate void CodeCallback(IntPtr code);

    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    public delegate void StatusCallback(int code, IntPtr text, int first, int second);

    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    public delegate void RecordCallback(IntPtr record);

    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    public delegate void MessageHandler(IntPtr text);

    // Ten 32-bit words on 32-bit Windows; on 64-bit targets the status callback takes
    // a pointer-sized slot after four bytes of padding (48 bytes).
    [StructLayout(LayoutKind.Sequential)]
    public unsafe struct RunRequest
    {
        public int Device;
        public int Port;
        public int Baud;
        public fixed int Unused[6];
        public IntPtr StatusCallback;
    }

    // 312 bytes, the price at 180 (not 8-aligned); only these four fields are the
    // library's, the other bytes belong to the host.
    [StructLayout(LayoutKind.Explicit, Size = 312)]
    public unsafe struct HostLineRecord
    {
        [FieldOffset(44)] public fixed byte Code[32];
        [FieldOffset(76)] public fixed byte Name[48];
        [FieldOffset(136)] public double Quantity;
        [FieldOffset(180)] public double Price;
    }

    [StructLayout(LayoutKind.Explicit, Size = 268)]
    public unsafe struct StatusNotice
    {
        [FieldOffset(0)] public int Code;
        [FieldOffset(4)] public fixed byte Text[256];
        [FieldOffset(260)] public int First;
        [FieldOffset(264)] public int Second;
    }

    public static class Native
    {
        const string Library = "Zelvane";

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int ScanerCreate(IntPtr window);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int ScanerRun(ref RunRequest request, CodeCallback callback);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int ScanerBreakJob();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int ScanerDelete();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int ScanerError();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern IntPtr ScanerErrMsg();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int ScanerSetBarCodeInfo(ref HostLineRecord record);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void ZelvaneSetMessageHandler(MessageHandler handler);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void ZelvaneSetStatusObserver(StatusCallback observer);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int ZelvaneRunCollector(ref RunRequest request, int runMode,
            RecordCallback onRecord, IntPtr records, int count);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern IntPtr GetPrnNameInSession(byte[] name);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int PrnRawData(byte[] name, byte[] data, int count);
    }

    public class ZelvaneException : Exception
    {
        public int Code { get; private set; }
        public string Text { get; private set; }

        public ZelvaneException(int code, string text) : base(code + ": " + text)
        {
            Code = code;
            Text = text;
        }
    }

    // An article line as a collector holds it.
    public class Record
    {
        public string Code = "", Name = "";
        public double Quantity, Price;
    }

    // The library's service from ScanerCreate to ScanerDelete. One job runs at a time;
    // the handlers run on the library's threads.
    public sealed class ZelvaneService : IDisposable
    {
        public const int NotOpened = 6, RunFailed = 7, PortOrSystemFailure = 8,
                         RunSucceeded = 10, DeviceClosed = 11;
        const int ReadMode = 2, LoadMode = 3;

        static readonly Encoding Cp1250;
        // The library may call these as long as the process lives, so they are static
        // and never collected; they hand on to the service of the moment.
        static readonly CodeCallback CodeThunk = code => Current.codeHandler(Text(code));
        static readonly RecordCallback RecordThunk = record => Current.recordHandler(record);
        static readonly StatusCallback ObserverThunk = (code, text, first, second) =>
            Current.Notice(code, Text(text), first, second);
        static ZelvaneService Current;

        readonly Action<int, string, int, int> noticeHandler;
        readonly ManualResetEvent ended = new ManualResetEvent(true);
        Action<string> codeHandler = code => { };
        Action<IntPtr> recordHandler = record => { };
        ZelvaneException lastFailure;

        static ZelvaneService()
        {
            // .NET Framework knows code page 1250; Mono has it from I18N.West.
            Cp1250 = Encoding.GetEncoding(1250);
            string path = Environment.GetEnvironmentVariable("ZELVANE_LIBRARY");
            if (!string.IsNullOrEmpty(path) && PreLoader.Load(path) == IntPtr.Zero)
                throw new DllNotFoundException("ZELVANE_LIBRARY=" + path + " does not load");
        }

        public static string Text(IntPtr text)
        {
            if (text == IntPtr.Zero) return "";
            int length = 0;
            while (Marshal.ReadByte(text, length) != 0) length++;
            byte[] bytes = new byte[length];
            Marshal.Copy(text, bytes, 0, length);
            return Cp1250.GetString(bytes);
        }

        public ZelvaneService(Action<int, string, int, int> onNotice = null)
        {
            noticeHandler = onNotice;
            Current = this;
            Native.ZelvaneSetStatusObserver(ObserverThunk);
            Start(() => Native.ScanerCreate(IntPtr.Zero));
        }

        void Notice(int code, string text, int first, int second)
        {
            if (code == NotOpened || code == RunFailed || code == PortOrSystemFailure)
                lastFailure = new ZelvaneException(second, text);
            if (noticeHandler != null) noticeHandler(code, text, first, second);
            if (code == DeviceClosed || code == PortOrSystemFailure) ended.Set();
        }

        // The reason of a refusal: the failure notice of the call, else the error
        // queries (which answer Ondrell's error in a build that forwards them).
        void Start(Func<int> start)
        {
            lastFailure = null;
            ended.Reset();
            if (start() != 0) return;
            ended.Set();
            throw lastFailure ??
                new ZelvaneException(Native.ScanerError(), Text(Native.ScanerErrMsg()));
        }

        // A job that has sent its last notice may not have ended yet, and a run of
        // another device would be refused beside it: a break makes the library wait.
        void StartRun(Func<int> start)
        {
            Stop();
            Native.ScanerBreakJob();
            Start(start);
        }

        static RunRequest Request(int device, int port, int baud)
        {
            return new RunRequest { Device = device, Port = port, Baud = baud };
        }

        // Starts a reading job (ScanerRun): every reading goes to onCode.
        public void Run(int device, int port, Action<string> onCode, int baud = 9600)
        {
            codeHandler = onCode;
            RunRequest request = Request(device, port, baud);
            StartRun(() => Native.ScanerRun(ref request, CodeThunk));
        }

        // Breaks the running job and waits until it has closed its device.
        public void Stop()
        {
            if (ended.WaitOne(0)) return;
            Native.ScanerBreakJob();
            ended.WaitOne(TimeSpan.FromSeconds(10));
        }

        void Collect(int device, int port, int baud, int mode, IntPtr records, int count)
        {
            RunRequest request = Request(device, port, baud);
            StartRun(() => Native.ZelvaneRunCollector(ref request, mode,
                mode == ReadMode ? RecordThunk : null, records, count));
            ended.WaitOne();
            if (lastFailure != null) throw lastFailure;
        }

        // The records of a collector, or one scale reading (ZelvaneRunCollector mode 2).
        public unsafe IList<Record> ReadCollector(int device, int port, int baud = 9600)
        {
            var records = new List<Record>();
            recordHandler = address => {
                var line = (HostLineRecord*)address;
                records.Add(new Record { Code = Text((IntPtr)line->Code), Name = Text((IntPtr)line->Name),
                                         Quantity = line->Quantity, Price = line->Price });
            };
            Collect(device, port, baud, ReadMode, IntPtr.Zero, 0);
            return records;
        }

        public static unsafe HostLineRecord ToHostLine(Record record)
        {
            var line = new HostLineRecord { Quantity = record.Quantity, Price = record.Price };
            byte[] code = Cp1250.GetBytes(record.Code), name = Cp1250.GetBytes(record.Name);
            for (int i = 0; i < code.Length && i < 31; i++) line.Code[i] = code[i];
            for (int i = 0; i < name.Length && i < 47; i++) line.Name[i] = name[i];
            return line;
        }

        // Loads records into a CipherLab collector (ZelvaneRunCollector mode 3). The
        // library reads the array until the run ends, so it stays pinned until then.
        public void LoadCollector(int device, int port, IList<Record> records, int baud = 9600)
        {
            var lines = new HostLineRecord[records.Count];
            for (int i = 0; i < lines.Length; i++) lines[i] = ToHostLine(records[i]);
            GCHandle pinned = GCHandle.Alloc(lines, GCHandleType.Pinned);
            try { Collect(device, port, baud, LoadMode, pinned.AddrOfPinnedObject(), lines.Length); }
            finally { pinned.Free(); }
        }

        // Hands an article line to the running job (a price checker's answer).
        public int SetBarCodeInfo(Record record)
        {
            HostLineRecord line = ToHostLine(record);
            return Native.ScanerSetBarCodeInfo(ref line);
        }

        public void Dispose()
        {
            Stop();
            Native.ZelvaneSetStatusObserver(null);
            Native.ScanerDelete();
        }
    }

    // Loads a library by its full path, so that the imports by name resolve to it.
    static class PreLoader
    {
        [DllImport("kernel32", SetLastError = true, CharSet = CharSet.Unicode)]
        static extern IntPtr LoadLibrary(string path);
        [DllImport("libdl.so.2")]
        static extern IntPtr dlopen(string path, int flags);

        const int RtldNow = 2, RtldGlobal = 0x100;

        public static IntPtr Load(string path)
        {
            return Environment.OSVersion.Platform == PlatformID.Win32NT
                ? LoadLibrary(path) : dlopen(path, RtldNow | RtldGlobal);
        }
    }
}
