"""The binding against the Linux library and the simulators that
scripts/check-bindings.sh starts: record layouts as the C compiler lays out zelvane.h
(ZELVANE_LAYOUTS), and the example host's output (ZELVANE_EXAMPLE_OUTPUT) through
either way of finding the library."""
import os
import pathlib
import subprocess
import sys

import pytest

import zelvane

EXAMPLE = pathlib.Path(__file__).parent.parent / "examples" / "example_host.py"
PORTS = os.environ.get("ZELVANE_EXAMPLE_PORTS", "1 2 3 4").split()


def header_layouts():
    lines = pathlib.Path(os.environ["ZELVANE_LAYOUTS"]).read_text().splitlines()
    return dict((name, int(offset)) for name, offset in (line.split() for line in lines))


def test_records_are_laid_out_as_the_header_says():
    declared = {}
    for record in (zelvane.RunRequest, zelvane.HostLineRecord, zelvane.StatusNotice):
        for field, *_ in record._fields_:
            if not field.startswith("host_data"):
                declared[f"{record.__name__}.{field}"] = getattr(record, field).offset
        declared[f"{record.__name__}.size"] = zelvane.ctypes.sizeof(record)
    assert declared == header_layouts()


@pytest.mark.parametrize("finding", ["ZELVANE_LIBRARY", "LD_LIBRARY_PATH"])
def test_example_host_reads_the_simulated_devices(finding):
    environment = dict(os.environ, PYTHONIOENCODING="utf-8")
    library = environment.pop("ZELVANE_LIBRARY")
    folder = environment.pop("LD_LIBRARY_PATH", None)
    environment[finding] = library if finding == "ZELVANE_LIBRARY" else folder
    shown = subprocess.run([sys.executable, str(EXAMPLE), *PORTS], env=environment,
                           capture_output=True, text=True, encoding="utf-8", timeout=120)
    assert shown.returncode == 0, shown.stderr
    assert shown.stdout == pathlib.Path(os.environ["ZELVANE_EXAMPLE_OUTPUT"]).read_text(
        encoding="utf-8")
