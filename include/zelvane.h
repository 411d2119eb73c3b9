/*
 * Zelvane - shop peripherals (barcode scanners, counter scales, data collectors,
 * LAN price checkers, raw printing) behind a small C interface.
 *
 * Usage: ScanerCreate once, then any number of ScanerRun, each stopped with
 * ScanerBreakJob, and ScanerDelete at the end. One device job runs at a time:
 * break a job and let it end before the next ScanerRun.
 *
 * All texts are single-byte code page 1250. Every function runs on the caller's
 * thread and never lets an exception out; failures are a result of 0 with the
 * reason kept as an error code and a text (see ScanerError, ScanerErrMsg).
 *
 * Record layouts. On 32-bit Windows every structure below has exactly the layout
 * that hosts written for the original DLL expect (checked by static asserts):
 *   RunRequest      ten 32-bit words; word 9 is the status callback
 *   HostLineRecord  312 bytes: code at 44, name at 76, quantity at 136,
 *                   unit price at 180 (4-byte packing, 180 is not 8-aligned)
 *   StatusNotice    268 bytes: code at 0, text at 4, numbers at 260 and 264
 * On 64-bit Windows and 64-bit Linux the fields keep their meaning and order; the
 * status callback of RunRequest takes a pointer-sized slot (offset 40, after four
 * bytes of padding; 48 bytes in all), while HostLineRecord and StatusNotice keep the
 * 32-bit layout byte for byte. On 64-bit Windows every callback uses the one x64
 * calling convention (ZELVANE_CALL has no effect there).
 */
#ifndef ZELVANE_H
#define ZELVANE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define ZELVANE_CALL __cdecl
#if defined(ZELVANE_BUILDING)
#define ZELVANE_API __declspec(dllexport)
#else
#define ZELVANE_API __declspec(dllimport)
#endif
#else
#define ZELVANE_CALL
#if defined(ZELVANE_BUILDING)
#define ZELVANE_API __attribute__((visibility("default")))
#else
#define ZELVANE_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Receives one reading (a scanned code or a 13-character weight code). The text
 * is valid only during the call. Called on the job's worker thread, one reading per
 * call. Scanners and scales are polled every 500 ms; for the LAN price checkers
 * (702) a customer waits at the terminal, so each scanned code comes as soon as it
 * was scanned, more often than every 500 ms when terminals scan quickly. Answer it
 * with ScanerSetBarCodeInfo (inside the callback or from another thread) within 5 s. */
typedef void(ZELVANE_CALL* CodeCallback)(const char* code);

/* Receives one status notice: code 1..11, its text (valid until the next notice),
 * and two numbers. Called on the thread that sends the notice. */
typedef void(ZELVANE_CALL* StatusCallback)(int32_t code, const char* text, int32_t first,
                                           int32_t second);

struct HostLineRecord;

/* Receives one record read from a collector or a scale; valid only during the call. */
typedef void(ZELVANE_CALL* RecordCallback)(struct HostLineRecord* record);

/* The run request of ScanerRun. */
typedef struct RunRequest {
  int32_t device;    /* word 0: device code (400..405, 500, 501, 503, 504, 600..602, 702;
                        505 with ZelvaneRunCollector only) */
  int32_t port;      /* word 1: COM port number, 1 = COM1 */
  int32_t baud;      /* word 2: line speed, read by the CipherLab collectors (500, 501, 504) */
  int32_t unused[6]; /* words 3..8: copied, never read */
  StatusCallback status_callback; /* word 9: read only for the collector codes */
} RunRequest;

#pragma pack(push, 4)
/* The host's article line. Only code, name, quantity and price are read or written
 * by the library; the other bytes belong to the host. */
typedef struct HostLineRecord {
  unsigned char host_data0[44];
  char code[32]; /* offset 44, NUL-terminated */
  char name[48]; /* offset 76, NUL-terminated */
  unsigned char host_data1[12];
  double quantity; /* offset 136 */
  unsigned char host_data2[36];
  double price; /* offset 180 */
  unsigned char host_data3[124];
} HostLineRecord;
#pragma pack(pop)

/* The library-wide notice block; a posted window message carries its address. */
typedef struct StatusNotice {
  int32_t code;   /* offset 0 */
  char text[256]; /* offset 4, NUL-terminated, at most 255 characters */
  int32_t first;  /* offset 260 */
  int32_t second; /* offset 264 */
} StatusNotice;

/* Shows a message to the user and returns once it was acknowledged. */
typedef void(ZELVANE_CALL* ZelvaneMessageHandler)(const char* text);

/* Creates the service for the host window (may be null). 1 created, 0 when it
 * already exists (the error is then 999999 "Failed to create OLE ECR Control"). */
ZELVANE_API int32_t ZELVANE_CALL ScanerCreate(void* window);

/* Opens the device named by the request on the caller's thread and, when that
 * succeeds, runs the job on a worker thread. 1 when the worker runs, else 0. While
 * the reading loop of the same device's job runs unbroken, another ScanerRun for it
 * answers 1 and changes nothing; any other run beside a running one is refused (0).
 * A run the host broke, or one that has sent its notice 11, is waited for (up to 5 s),
 * so the next ScanerRun may follow at once. */
ZELVANE_API int32_t ZELVANE_CALL ScanerRun(const RunRequest* request, CodeCallback callback);

/* Asks the running job to stop; it ends after its current poll. Returns 0.
 *
 * Unloading. Break the job and wait for its notice 11 before the library is
 * unloaded. A host that unloads it while a job runs anyway: on Windows FreeLibrary
 * only drops the host's reference, as the worker holds the module until its run ends;
 * the run (for 702 the price-checker service with it) goes on until ScanerBreakJob,
 * and no thread is stopped or waited for under the loader lock. At the exit of the
 * process nothing is waited for (the system has ended the threads). On Linux the
 * unload breaks the running job and waits up to 3 s for its end; the worker stops the
 * price-checker service, the unloading thread does not. */
ZELVANE_API int32_t ZELVANE_CALL ScanerBreakJob(void);

/* Ends the service; a running job is not stopped. Returns 1. */
ZELVANE_API int32_t ZELVANE_CALL ScanerDelete(void);

/* The last error code and its text (see the ForwardToOndrell build switch). */
ZELVANE_API int32_t ZELVANE_CALL ScanerError(void);
ZELVANE_API const char* ZELVANE_CALL ScanerErrMsg(void);

/* Hands an article line to the current job (price-checker answer, collector load).
 * A price checker takes the line as the answer to the code the host was given last,
 * when the line's code (spaces around it ignored) is that code or empty; a line for
 * another code, or one that comes after that scan's 5 s, is dropped, so an answer
 * never reaches the display of a terminal that scanned something else.
 * 1 if there is a current job and the record is not null, else 0. Only a run of the
 * reading loop (ScanerRun) whose device is open takes the line; during a collector's
 * read or load (ZelvaneRunCollector), before the open and from the close on it is
 * ignored, and nothing is ever sent to a port after its run's notice 11. */
ZELVANE_API int32_t ZELVANE_CALL ScanerSetBarCodeInfo(HostLineRecord* record);

/* Forwarded to Ondrell when the library is built with ForwardToOndrell, else 0. */
ZELVANE_API int32_t ZELVANE_CALL Scaner2XRun(int32_t first, int32_t second);
ZELVANE_API int32_t ZELVANE_CALL Scaner2XBreakJob(int32_t argument);

/* Extra export: replaces the handler of the library's message boxes. A null handler
 * restores the default (MessageBoxA on Windows, a line on standard error elsewhere).
 * The handler runs on the thread that shows the message and blocks it. */
ZELVANE_API void ZELVANE_CALL ZelvaneSetMessageHandler(ZelvaneMessageHandler handler);

/* Extra export: a listener that receives every status notice of every run, whatever
 * the device, after the status callback of a collector request (which only collector
 * runs carry). Null removes it. Meant for diagnostics and command-line hosts. */
ZELVANE_API void ZELVANE_CALL ZelvaneSetStatusObserver(StatusCallback observer);

/* Raw printing. A remote-desktop session gives a redirected printer a name that holds
 * a session marker and the session's number ("HP LaserJet (redirected 2)"), so a
 * name stored in one session is gone in the next.
 *
 * GetPrnNameInSession: the printer that a stored name (code page 1250) stands for in
 * the current session. When the name holds a marker ("sesji", "Sesja", "session",
 * "(redirected", "(przekierowana sesja:", then "(umgeleitet"; case-sensitive, the
 * first of this list found decides), the first printer in the spooler's order whose
 * name begins like the stored one up to and including the marker is taken, even
 * before a later printer that carries exactly the stored name. Without a marker, or
 * when no printer matches, the name itself. Never fails: returns a library-owned
 * buffer of at most 255 characters and NUL, overwritten by every call and by every
 * PrnRawData that resolves a name (copy it before the next call; a null name gives
 * an empty text). */
ZELVANE_API const char* ZELVANE_CALL GetPrnNameInSession(const char* name);

/* PrnRawData: sends `count` bytes unchanged (NUL, ESC and bytes above 127 included)
 * as one raw document "My Document" to the printer that GetPrnNameInSession finds
 * for `name`: the Windows spooler on Windows, the CUPS server that libcups is
 * pointed at (CUPS_SERVER, the client configuration) elsewhere. 1 when the spooler
 * accepted every byte, else 0; also 0 for a null or empty name, a negative count or
 * null data with a count above 0. Returns within a bounded time when no server
 * answers. */
ZELVANE_API int32_t ZELVANE_CALL PrnRawData(const char* name, const void* data, int32_t count);

/* Collector run modes.
 *
 * Extra export: runs a device job as ScanerRun does (the same request copy, word 9
 * for the collector codes, the same job selection, open, notices, results and
 * errors) in one of the collectors' run modes:
 *   2  reads the device's records: each goes to onRecord, on the job's worker
 *      thread, as a HostLineRecord valid only during the call (code, name, quantity
 *      and price set, every other byte zero). CipherLab collectors (500, 501, 504)
 *      send all their records; the Radwag (601) and Fawag (600) scales answer one
 *      weight request, the weight as the scale shows it being the quantity. Denso
 *      BHT-6045 (503, 9600 baud) and Casio DT-700 (505, 19200 baud with CTS flow
 *      control) terminals lead the transfer themselves: send from the terminal
 *      within about 2 seconds of the start. Their records carry code and quantity
 *      (the name empty, the price 0); a BHT-6045 transfer passes over its first
 *      record and every record with a quantity of zero or less.
 *   3  loads `count` records of the array `records` (312 bytes apart) into the
 *      device: CipherLab collectors take each line's code (cut to 13 characters),
 *      name (18), quantity and price. The array must stay valid until the run ends
 *      (status notice 11); a count of 0 is acknowledged by the collector but fails.
 *      The BHT-6045 and DT-700 take no records: the run fails without writing.
 * The run ends by itself after the transfer: notice 10 on success, 7 otherwise (with
 * the cause that ended that transfer), then 11. Mode 2 without onRecord, mode 3
 * without records or with a negative count, and every other mode are refused before
 * any device is touched: 0, with error 999999 and its reason. So is a run of a job
 * that already runs: its transfer goes on untouched (callback, records and error its
 * own), and the error queries give the refusal's reason until the next start. Returns
 * 1 when the worker runs, else 0.
 *
 * Device code 505 (Casio DT-700) is served by this export only; ScanerRun refuses it
 * as a code outside its fixed set.
 *
 * While a CipherLab job runs in mode 1 (ScanerRun), ScanerSetBarCodeInfo loads its
 * one record into the collector on the caller's thread and waits for the exchange; a
 * load that fails leaves its code on the job, which the run's closing notice 7 then
 * carries. During a mode 2 or 3 run of the job, and when called from inside another
 * load's callback, it is ignored. */
ZELVANE_API int32_t ZELVANE_CALL ZelvaneRunCollector(const RunRequest* request, int32_t runMode,
                                                     RecordCallback onRecord,
                                                     HostLineRecord* records, int32_t count);

#ifdef __cplusplus
}
#endif

#endif /* ZELVANE_H */
