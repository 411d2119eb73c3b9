"""A small host: reads a scanner and a scale, downloads a CipherLab collector and shows
how a refused run looks.

    python3 example_host.py SCANNER_PORT SCALE_PORT COLLECTOR_PORT BUSY_PORT
"""
import sys

from zelvane import Zelvane, ZelvaneError

METROLOGIC_SCANNER = 402
RADWAG_SCALE = 601
CIPHERLAB_COLLECTOR = 500


def first_reading(zelvane, device, port):
    with zelvane.run(device=device, port=port, timeout=30) as readings:
        return next(readings)


def main(scanner_port, scale_port, collector_port, busy_port):
    with Zelvane() as zelvane:
        print("code", first_reading(zelvane, METROLOGIC_SCANNER, scanner_port))
        print("weight", first_reading(zelvane, RADWAG_SCALE, scale_port))
        for record in zelvane.read_collector(CIPHERLAB_COLLECTOR, collector_port):
            print(f"record {record.code};{record.name};{record.quantity:g};{record.price:.2f}")
        try:
            zelvane.run(device=METROLOGIC_SCANNER, port=busy_port)
        except ZelvaneError as error:
            print(f"error {error.code}: {error.text}")


if __name__ == "__main__":
    main(*map(int, sys.argv[1:5]))
