// The spooler on Linux: the CUPS server that libcups is pointed at, through its
// destination API. CUPS has no pages, so those stages always succeed.
#include <cups/cups.h>
#include <sys/socket.h>

#include "platform/printer_spooler.h"

namespace zelvane::platform {
namespace {

// A host must never hang on a printer: an unreachable server is given up after the
// connect time, one that stops answering after the reply time.
constexpr int kConnectMilliseconds = 3000;
constexpr double kReplySeconds = 5.0;

int GiveUp(http_t*, void*) {
  return 0;
}

// A connection of its own to the configured server (CUPS_SERVER, client.conf), so
// that no wait of libcups' shared default connection applies.
class CupsConnection {
 public:
  CupsConnection()
      : m_http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                            kConnectMilliseconds, nullptr)) {
    if (m_http != nullptr) httpSetTimeout(m_http, kReplySeconds, &GiveUp, nullptr);
  }
  ~CupsConnection() {
    if (m_http != nullptr) httpClose(m_http);
  }
  CupsConnection(const CupsConnection&) = delete;
  CupsConnection& operator=(const CupsConnection&) = delete;

  http_t* Get() const { return m_http; }

 private:
  http_t* m_http;
};

// The destinations the server lists, in its order.
class CupsDestinations {
 public:
  explicit CupsDestinations(http_t* http) : m_count(cupsGetDests2(http, &m_dests)) {}
  ~CupsDestinations() { cupsFreeDests(m_count, m_dests); }
  CupsDestinations(const CupsDestinations&) = delete;
  CupsDestinations& operator=(const CupsDestinations&) = delete;

  // The listing failed (an empty one with the request's error left behind).
  bool Failed() const { return m_count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING; }
  int Count() const { return m_count; }
  cups_dest_t* Dests() const { return m_dests; }

 private:
  cups_dest_t* m_dests = nullptr;
  int m_count;
};

bool Succeeded(ipp_status_t status) {
  return status <= IPP_STATUS_OK_CONFLICTING;
}

class CupsPrinter : public SpooledPrinter {
 public:
  // Takes over the connection; `dest` is copied.
  CupsPrinter(std::unique_ptr<CupsConnection> connection, cups_dest_t& dest)
      : m_connection(std::move(connection)) {
    m_destCount = cupsCopyDest(&dest, 0, &m_dest);
    if (m_dest != nullptr) m_info = cupsCopyDestInfo(Http(), m_dest);
  }
  ~CupsPrinter() override {
    cupsFreeDestInfo(m_info);
    cupsFreeDests(m_destCount, m_dest);
  }

  bool Usable() const { return m_info != nullptr; }

  // The job and its only document begin together: a job that never gets a document
  // would wait on the server until it is cancelled.
  bool StartDocument(const char* documentName) override {
    const ipp_status_t created =
        cupsCreateDestJob(Http(), m_dest, m_info, &m_jobId, documentName, 0, nullptr);
    if (!Succeeded(created) || m_jobId <= 0) return false;
    if (cupsStartDestDocument(Http(), m_dest, m_info, m_jobId, documentName, CUPS_FORMAT_RAW, 0,
                              nullptr, 1) == HTTP_STATUS_CONTINUE) {
      return true;
    }
    cupsCancelDestJob(Http(), m_dest, m_jobId);
    return false;
  }

  bool StartPage() override { return true; }

  bool Write(const void* data, std::uint32_t count, std::uint32_t& written) override {
    written = 0;
    // libcups takes a write of nothing for the end of the document's data.
    if (count == 0) return true;
    if (cupsWriteRequestData(Http(), static_cast<const char*>(data), count) !=
        HTTP_STATUS_CONTINUE) {
      return false;
    }
    written = count;
    return true;
  }

  bool EndPage() override { return true; }

  // A refused document (CUPS refuses an empty one) would leave its job waiting on the
  // server for data that never comes.
  bool EndDocument() override {
    if (Succeeded(cupsFinishDestDocument(Http(), m_dest, m_info))) return true;
    cupsCancelDestJob(Http(), m_dest, m_jobId);
    return false;
  }

 private:
  http_t* Http() const { return m_connection->Get(); }

  std::unique_ptr<CupsConnection> m_connection;
  cups_dest_t* m_dest = nullptr;
  int m_destCount = 0;
  cups_dinfo_t* m_info = nullptr;
  int m_jobId = 0;
};

class CupsSpooler : public PrinterSpooler {
 public:
  std::optional<std::vector<std::string>> PrinterNames() override {
    const CupsConnection connection;
    if (connection.Get() == nullptr) return std::nullopt;
    const CupsDestinations destinations(connection.Get());
    if (destinations.Failed()) return std::nullopt;
    std::vector<std::string> names;
    for (int i = 0; i < destinations.Count(); ++i) {
      const cups_dest_t& dest = destinations.Dests()[i];
      // Instances are option sets of a printer listed under its own name.
      if (dest.instance == nullptr) names.emplace_back(dest.name);
    }
    return names;
  }

  std::unique_ptr<SpooledPrinter> OpenPrinter(const std::string& name) override {
    auto connection = std::make_unique<CupsConnection>();
    if (connection->Get() == nullptr) return nullptr;
    const CupsDestinations destinations(connection->Get());
    cups_dest_t* dest =
        cupsGetDest(name.c_str(), nullptr, destinations.Count(), destinations.Dests());
    if (dest == nullptr) return nullptr;
    auto printer = std::make_unique<CupsPrinter>(std::move(connection), *dest);
    if (!printer->Usable()) return nullptr;
    return printer;
  }
};

}  // namespace

PrinterSpooler& SystemSpooler() {
  static CupsSpooler spooler;
  return spooler;
}

}  // namespace zelvane::platform
