"""Python binding of the Zelvane library (zelvane.h) through ctypes.

The library is found by the full path in ZELVANE_LIBRARY when it is set, else by its
name through the system's loader (libzelvane.so.0 on LD_LIBRARY_PATH, Zelvane.dll on
the DLL search path). Texts cross the C interface in code page 1250 and are decoded
here; errors are raised as ZelvaneError with the library's code and Polish text.

    with Zelvane() as zelvane:
        with zelvane.run(device=402, port=1) as readings:
            for code in readings:
                print(code)
                break
        for record in zelvane.read_collector(device=500, port=3):
            print(record.code, record.name, record.quantity, record.price)
"""

import ctypes
import os
import queue
import sys
import threading
from dataclasses import dataclass

ENCODING = "cp1250"

# Status notices (see zelvane.h); 6, 7 and 8 carry the job's error text and code.
DEVICE_NOT_OPENED = 6
RUN_FAILED = 7
PORT_OR_SYSTEM_FAILURE = 8
RUN_SUCCEEDED = 10
DEVICE_CLOSED = 11
_FAILURES = (DEVICE_NOT_OPENED, RUN_FAILED, PORT_OR_SYSTEM_FAILURE)

READ_MODE = 2
LOAD_MODE = 3

# The callback types; every export and callback uses the C calling convention.
CodeCallback = ctypes.CFUNCTYPE(None, ctypes.c_char_p)
StatusCallback = ctypes.CFUNCTYPE(None, ctypes.c_int32, ctypes.c_char_p, ctypes.c_int32,
                                  ctypes.c_int32)
MessageHandler = ctypes.CFUNCTYPE(None, ctypes.c_char_p)


class RunRequest(ctypes.Structure):
    """Ten 32-bit words on 32-bit Windows; the callback takes a pointer-sized slot."""
    _fields_ = [("device", ctypes.c_int32), ("port", ctypes.c_int32), ("baud", ctypes.c_int32),
                ("unused", ctypes.c_int32 * 6), ("status_callback", StatusCallback)]


class HostLineRecord(ctypes.Structure):
    """312 bytes, 4-byte packing: the price at 180 is not 8-aligned."""
    _pack_ = 4
    _fields_ = [("host_data0", ctypes.c_ubyte * 44), ("code", ctypes.c_char * 32),
                ("name", ctypes.c_char * 48), ("host_data1", ctypes.c_ubyte * 12),
                ("quantity", ctypes.c_double), ("host_data2", ctypes.c_ubyte * 36),
                ("price", ctypes.c_double), ("host_data3", ctypes.c_ubyte * 124)]


class StatusNotice(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int32), ("text", ctypes.c_char * 256),
                ("first", ctypes.c_int32), ("second", ctypes.c_int32)]


RecordCallback = ctypes.CFUNCTYPE(None, ctypes.POINTER(HostLineRecord))


class ZelvaneError(Exception):
    """A call the library refused: its error code and Polish text."""

    def __init__(self, code, text):
        super().__init__(f"{code}: {text}")
        self.code = code
        self.text = text


@dataclass
class Record:
    """An article line as a collector holds it."""
    code: str
    name: str = ""
    quantity: float = 0.0
    price: float = 0.0


def decode(text):
    return text.decode(ENCODING, errors="replace") if text else ""


def _library_name():
    return "Zelvane.dll" if sys.platform == "win32" else "libzelvane.so.0"


def load_library():
    """The library with the argument and result types of its exports declared."""
    path = os.environ.get("ZELVANE_LIBRARY") or _library_name()
    # winmode=0: the classic search order, which includes PATH.
    library = ctypes.CDLL(path, winmode=0) if sys.platform == "win32" else ctypes.CDLL(path)
    signatures = {
        "ScanerCreate": (ctypes.c_int32, [ctypes.c_void_p]),
        "ScanerRun": (ctypes.c_int32, [ctypes.POINTER(RunRequest), CodeCallback]),
        "ScanerBreakJob": (ctypes.c_int32, []),
        "ScanerDelete": (ctypes.c_int32, []),
        "ScanerError": (ctypes.c_int32, []),
        "ScanerErrMsg": (ctypes.c_char_p, []),
        "ScanerSetBarCodeInfo": (ctypes.c_int32, [ctypes.POINTER(HostLineRecord)]),
        "ZelvaneSetMessageHandler": (None, [MessageHandler]),
        "ZelvaneSetStatusObserver": (None, [StatusCallback]),
        "ZelvaneRunCollector": (ctypes.c_int32, [ctypes.POINTER(RunRequest), ctypes.c_int32,
                                                 RecordCallback, ctypes.POINTER(HostLineRecord),
                                                 ctypes.c_int32]),
        "GetPrnNameInSession": (ctypes.c_char_p, [ctypes.c_char_p]),
        "PrnRawData": (ctypes.c_int32, [ctypes.c_char_p, ctypes.c_void_p, ctypes.c_int32]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    return library


def to_host_line(record):
    line = HostLineRecord()
    line.code = record.code.encode(ENCODING)
    line.name = record.name.encode(ENCODING)
    line.quantity = record.quantity
    line.price = record.price
    return line


def from_host_line(line):
    return Record(decode(line.code), decode(line.name), line.quantity, line.price)


class Run:
    """One running job: an iterator of its readings until it ends, broken on exit.
    With a timeout, a reading that does not come in time raises TimeoutError."""

    def __init__(self, zelvane, timeout=None):
        self._zelvane = zelvane
        self._timeout = timeout
        self.readings = queue.Queue()

    def __iter__(self):
        return self

    def __next__(self):
        try:
            reading = self.readings.get(timeout=self._timeout)
        except queue.Empty:
            raise TimeoutError(f"no reading within {self._timeout} s") from None
        if reading is None:
            raise StopIteration
        return reading

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self._zelvane.stop()


class Zelvane:
    """The library's service from ScanerCreate to ScanerDelete (a context manager).

    One job runs at a time. Callbacks run on the library's threads; the ctypes
    callback objects are kept here, so they live as long as the library may call them.
    """

    def __init__(self, library=None, on_notice=None, on_message=None):
        self._library = library or load_library()
        self._on_notice = on_notice
        self._ended = threading.Event()
        self._ended.set()
        self._last_failure = None
        self._run = None
        self._on_code = None
        self._records = None
        self._observer = StatusCallback(self._notice)
        self._message_handler = MessageHandler(lambda text: on_message(decode(text))) \
            if on_message else MessageHandler()

    def __enter__(self):
        self._library.ZelvaneSetMessageHandler(self._message_handler)
        self._library.ZelvaneSetStatusObserver(self._observer)
        if self._library.ScanerCreate(None) == 0:
            raise self._error()
        return self

    def __exit__(self, *exception):
        self.stop()
        self._library.ZelvaneSetStatusObserver(StatusCallback())
        self._library.ScanerDelete()

    def _notice(self, code, text, first, second):
        if code in _FAILURES:
            self._last_failure = ZelvaneError(second, decode(text))
        if self._on_notice:
            self._on_notice(code, decode(text), first, second)
        if code in (DEVICE_CLOSED, PORT_OR_SYSTEM_FAILURE):
            self._ended.set()
            if self._run:
                self._run.readings.put(None)

    def _error(self):
        """The reason of a refusal: the failure notice of the call, else the error
        queries (which answer Ondrell's error in a build that forwards them)."""
        if self._last_failure:
            return self._last_failure
        return ZelvaneError(self._library.ScanerError(), decode(self._library.ScanerErrMsg()))

    def _start(self, start):
        # A job that has sent its last notice may not have ended yet, and a run of
        # another device would be refused beside it; a break makes the library wait.
        self.stop()
        self._library.ScanerBreakJob()
        self._last_failure = None
        self._ended.clear()
        if start() == 0:
            self._ended.set()
            raise self._error()

    def run(self, device, port, baud=9600, on_code=None, timeout=None):
        """Starts a reading job (ScanerRun). Readings go to on_code when it is given,
        else to the returned Run's iterator, which waits up to `timeout` seconds for
        each."""
        self._run = Run(self, timeout)
        deliver = on_code or self._run.readings.put
        self._on_code = CodeCallback(lambda code: deliver(decode(code)))
        request = RunRequest(device=device, port=port, baud=baud)
        self._start(lambda: self._library.ScanerRun(ctypes.byref(request), self._on_code))
        return self._run

    def stop(self, timeout=10):
        """Breaks the running job and waits until it has closed its device."""
        if not self._ended.is_set():
            self._library.ScanerBreakJob()
            self._ended.wait(timeout)

    def _collector_run(self, device, port, baud, mode, records=None):
        request = RunRequest(device=device, port=port, baud=baud)
        lines = (HostLineRecord * len(records))(*map(to_host_line, records)) if records else None
        self._start(lambda: self._library.ZelvaneRunCollector(
            ctypes.byref(request), mode, self._records, lines, len(records or ())))
        self._ended.wait()
        if self._last_failure:
            raise self._last_failure

    def read_collector(self, device, port, baud=9600):
        """The records of a collector or one scale reading (ZelvaneRunCollector mode 2)."""
        records = []
        self._records = RecordCallback(lambda line: records.append(from_host_line(line[0])))
        self._collector_run(device, port, baud, READ_MODE)
        return records

    def load_collector(self, device, port, records, baud=9600):
        """Loads Records into a CipherLab collector (ZelvaneRunCollector mode 3)."""
        self._records = RecordCallback()
        self._collector_run(device, port, baud, LOAD_MODE, list(records))

    def set_bar_code_info(self, record):
        """Hands an article line to the running job (a price checker's answer)."""
        return self._library.ScanerSetBarCodeInfo(ctypes.byref(to_host_line(record)))
