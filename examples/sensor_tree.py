#!/usr/bin/env python3
"""Reads a sensor and prints it as JSON: identity, serial number and the object tree with every
value and unit.

    examples/sensor_tree.py /tmp/kvsim-demo
    examples/sensor_tree.py --protocol modbus --id 1 /dev/ttyUSB0
"""

import argparse
import json
import sys

import kvsensor


def node_json(node):
    """One object node with its value and unit (or the error that stopped it), and its children."""
    entry = {"key": node.Key, "name": node.Name}
    if node.ArrayNodeKey:
        try:
            entry["value"] = node.Value(True)
            entry["unit"] = node.Unit
        except kvsensor.KvError as error:
            if error.cancelled:
                raise
            entry["error"] = {"number": error.number, "description": error.description}
    if len(node.Nodes):
        entry["nodes"] = [node_json(child) for child in node.Nodes]
    return entry


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("device", help="serial device path, for example /dev/ttyUSB0")
    parser.add_argument("--protocol", choices=["kvbus", "modbus"], default="kvbus")
    parser.add_argument("--id", type=int, default=-1, help="sensor address (-1: any sensor)")
    args = parser.parse_args()

    kvsensor.bind_port(1, args.device)
    sensor = kvsensor.ISensMem()
    sensor.Protokoll = kvsensor.kvMB if args.protocol == "modbus" else kvsensor.kvKV
    sensor.LetLeavePortOpen(True)
    try:
        sensor.Connect(1, args.id)
        report = {
            "platform": sensor.Platform,
            "partNumber": sensor.PartNr,
            "serialNumber": sensor.SerialNr(True),
            "tree": [node_json(node) for node in sensor.ObjectLevel.Nodes],
        }
    except kvsensor.KvError as error:
        print(error, file=sys.stderr)
        return 1
    finally:
        sensor.ClosePort(1)
    json.dump(report, sys.stdout, ensure_ascii=False, indent=1)
    print()
    return 0


if __name__ == "__main__":
    sys.exit(main())
