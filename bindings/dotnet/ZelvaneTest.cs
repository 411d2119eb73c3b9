// The binding against the Linux library and the simulators that
// scripts/check-bindings.sh starts: the records' offsets as the C compiler lays out
// zelvane.h (the file named by ZELVANE_LAYOUTS), and the example host's output against
// ZELVANE_EXAMPLE_OUTPUT, finding the library either way.
//   mono ZelvaneTest.exe EXAMPLE_HOST.exe
using System;
using System.Collections.Generic;
using System.Diagnostics;
using System.IO;
using System.Runtime.InteropServices;
using System.Text;
using Zelvane;

static class ZelvaneTest
{
    static int passed, failed;

    static void Expect(bool holds, string what)
    {
        if (holds) { passed++; return; }
        failed++;
        Console.WriteLine("FAILED: " + what);
    }

    static string DeclaredLayouts()
    {
        var lines = new StringBuilder();
        var fields = new Dictionary<Type, string[]> {
            { typeof(RunRequest), new[] { "Device", "Port", "Baud", "Unused", "StatusCallback" } },
            { typeof(HostLineRecord), new[] { "Code", "Name", "Quantity", "Price" } },
            { typeof(StatusNotice), new[] { "Code", "Text", "First", "Second" } },
        };
        foreach (var record in fields)
        {
            foreach (string field in record.Value)
                lines.AppendFormat("{0}.{1} {2}\n", record.Key.Name, HeaderName(field),
                                   Marshal.OffsetOf(record.Key, field));
            lines.AppendFormat("{0}.size {1}\n", record.Key.Name, Marshal.SizeOf(record.Key));
        }
        return lines.ToString();
    }

    // The header's field names: StatusCallback is status_callback.
    static string HeaderName(string field)
    {
        return field == "StatusCallback" ? "status_callback" : field.ToLowerInvariant();
    }

    static string RunExample(string example, string finding)
    {
        var start = new ProcessStartInfo("mono", "\"" + example + "\" 1 2 3 4") {
            UseShellExecute = false, RedirectStandardOutput = true,
            StandardOutputEncoding = Encoding.UTF8,
        };
        string library = Environment.GetEnvironmentVariable("ZELVANE_LIBRARY");
        string folder = Environment.GetEnvironmentVariable("LD_LIBRARY_PATH");
        start.EnvironmentVariables.Remove("ZELVANE_LIBRARY");
        start.EnvironmentVariables.Remove("LD_LIBRARY_PATH");
        start.EnvironmentVariables[finding] = finding == "ZELVANE_LIBRARY" ? library : folder;
        using (Process host = Process.Start(start))
        {
            var shown = host.StandardOutput.ReadToEndAsync();
            if (!host.WaitForExit(120000)) host.Kill();
            host.WaitForExit();
            Expect(host.ExitCode == 0, "the example host ends well with " + finding);
            return shown.Result;
        }
    }

    static int Main(string[] arguments)
    {
        Expect(DeclaredLayouts() == File.ReadAllText(Environment.GetEnvironmentVariable("ZELVANE_LAYOUTS")),
               "the records as the header lays them out:\n" + DeclaredLayouts());
        string expected = File.ReadAllText(Environment.GetEnvironmentVariable("ZELVANE_EXAMPLE_OUTPUT"));
        foreach (string finding in new[] { "ZELVANE_LIBRARY", "LD_LIBRARY_PATH" })
        {
            string shown = RunExample(arguments[0], finding);
            Expect(shown == expected, "the example host, with " + finding + ", shows:\n" + shown);
        }
        Console.WriteLine(passed + " passed, " + failed + " failed");
        return failed == 0 ? 0 : 1;
    }
}
