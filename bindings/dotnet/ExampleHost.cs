// A small host: reads a scanner and a scale, downloads a CipherLab collector and shows
// how a refused run looks.
//   mono ExampleHost.exe SCANNER_PORT SCALE_PORT COLLECTOR_PORT BUSY_PORT
using System;
using System.Globalization;
using System.Text;
using System.Threading;
using Zelvane;

static class ExampleHost
{
    const int MetrologicScanner = 402, RadwagScale = 601, CipherLabCollector = 500;

    static string FirstReading(ZelvaneService zelvane, int device, int port)
    {
        string first = null;
        var taken = new ManualResetEvent(false);
        zelvane.Run(device, port, code => {
            if (Interlocked.CompareExchange(ref first, code, null) == null) taken.Set();
        });
        if (!taken.WaitOne(TimeSpan.FromSeconds(30)))
            throw new TimeoutException("no reading within 30 s");
        zelvane.Stop();
        return first;
    }

    static int Main(string[] arguments)
    {
        Console.OutputEncoding = new UTF8Encoding(false);
        int[] ports = Array.ConvertAll(arguments, int.Parse);
        CultureInfo invariant = CultureInfo.InvariantCulture;
        using (var zelvane = new ZelvaneService())
        {
            Console.WriteLine("code " + FirstReading(zelvane, MetrologicScanner, ports[0]));
            Console.WriteLine("weight " + FirstReading(zelvane, RadwagScale, ports[1]));
            foreach (Record record in zelvane.ReadCollector(CipherLabCollector, ports[2]))
                Console.WriteLine(string.Format(invariant, "record {0};{1};{2};{3:0.00}",
                                                record.Code, record.Name, record.Quantity, record.Price));
            try
            {
                zelvane.Run(MetrologicScanner, ports[3], code => { });
            }
            catch (ZelvaneException error)
            {
                Console.WriteLine("error " + error.Message);
            }
        }
        return 0;
    }
}
