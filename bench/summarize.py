#!/usr/bin/env python3
"""Turns the JSON of one kv_bench run into the table of figures and goals of RESULTS.md."""
import json
import sys


def load(path):
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for b in data["benchmarks"]:
        name = b["run_name"]
        kind = b.get("aggregate_name", "")
        if kind in ("", "median"):
            runs[name] = b
    return data["context"], runs


def find(runs, prefix):
    for name, b in runs.items():
        if name.split("/")[0] == prefix:
            return b
    return None


def ms(b, key):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b[key] * scale


def main():
    context, runs = load(sys.argv[1])
    rows = []

    def row(figure, measured, goal, met):
        verdict = "n/a" if met is None else ("met" if met else "**missed**")
        rows.append(f"| {figure} | {measured} | {goal} | {verdict} |")

    def counter(prefix, key):
        b = find(runs, prefix)
        return None if b is None else b.get(key)

    for prefix, what in (("BM_KvbusRead6BytesRam", "KVBUS read of 6 RAM bytes"),
                         ("BM_KvbusWrite4BytesEeprom", "KVBUS write of 4 EEPROM bytes")):
        b = find(runs, prefix)
        if b:
            ratio = b["wall_over_minimum"]
            row(f"{what}: wall time / protocol minimum ({b['minimum_ms']:.2f} ms)",
                f"{ratio:.3f} ({ms(b, 'real_time'):.2f} ms; CPU {b['cpu_percent']:.2f} % of wall)",
                "<= 1.05", ratio <= 1.05)
        s = find(runs, prefix + "_SimHost")
        if s:
            row(f"{what}, on the virtual sensor's own host (1 ms wake-ups)",
                f"{s['wall_over_minimum']:.3f}", "for comparison", None)

    ours, theirs = find(runs, "BM_ReadBlockMB_16Registers"), find(runs, "BM_Libmodbus_16Registers")
    if ours and theirs:
        ratio = ours["real_time"] / theirs["real_time"]
        cpu = ours["cpu_time"] / theirs["cpu_time"]
        row("Modbus read of 16 registers: our median wall time / libmodbus's",
            f"{ratio:.3f} ({ms(ours, 'real_time'):.2f} / {ms(theirs, 'real_time'):.2f} ms; "
            f"CPU ratio {cpu:.2f})", "<= 1.05", ratio <= 1.05)

    for protocol, full in (("Kvbus", "KVBUS"), ("Modbus", "Modbus")):
        b, t = find(runs, f"BM_ScanEmptyPlace{protocol}"), find(runs, f"BM_TransferEmptyPlace{protocol}")
        if b:
            versus = f" (a transfer's own attempts: {ms(t, 'real_time') / 1000:.1f} s)" if t else ""
            row(f"{full} place without a sensor during a scan: wall time of the first read",
                f"{ms(b, 'real_time'):.0f} ms{versus}", "< 500 ms", ms(b, "real_time") < 500)

    b = find(runs, "BM_ReadWholeRamPlatform8")
    if b:
        row(f"CPU / wall over a whole-RAM read, platform 8 ({int(b['transfers'])} transfers)",
            f"{b['cpu_percent']:.2f} % (wall {b['wall_over_minimum']:.3f} x minimum)",
            "<= 1 %", b["cpu_percent"] <= 1.0)
    for prefix, what in (("BM_WholeRamLatencyTimer16ms", "16 ms USB latency timer"),
                         ("BM_WholeRamLatencyTimer16msLowLatency",
                          "16 ms timer, low latency granted")):
        b, base = find(runs, prefix), find(runs, "BM_WholeRamNoLatencyTimer")
        if b and base:
            row(f"Whole-RAM read, platform 8, {what}: wall time / without a timer",
                f"{ms(b, 'real_time') / ms(base, 'real_time'):.3f} "
                f"({b['ms_per_transfer']:.1f} against {base['ms_per_transfer']:.1f} ms a transfer)",
                "n/a", None)
    b = find(runs, "BM_HeaterCalibrationCycle")
    if b and b.get("error_occurred"):
        row("CPU / wall over one heater-calibration cycle",
            f"not measured: {b.get('error_message', '')}", "<= 1 %", None)
    elif b:
        row("CPU / wall over one heater-calibration cycle (real time)",
            f"{b['cpu_percent']:.2f} % over {ms(b, 'real_time') / 1000:.1f} s", "<= 1 %",
            b["cpu_percent"] <= 1.0)
    else:
        row("CPU / wall over one heater-calibration cycle", "not measured (see notes)", "<= 1 %",
            None)
    b = find(runs, "BM_WaitOneSecondForSilence")
    if b:
        row("CPU of a 1 s wait for a silent sensor", f"{b['cpu_ms_per_wait']:.2f} ms "
            f"({b['cpu_ms_per_wait'] / 10:.2f} %)", "< 20 ms", b["cpu_ms_per_wait"] < 20)

    b = find(runs, "BM_ThermAdjustTickTransfers")
    if b:
        twice = int(b["first_bytes_read_twice"])
        row("ThermAdjust first tick (map and tree generated): transfers, wire bytes",
            f"{int(b['first_transfers'])} transfers, {int(b['first_wire_bytes'])} bytes, "
            f"{int(b['first_bytes_read'])} bytes read ({int(b['first_least_transfers'])} "
            "transfers if neighbouring cells were read together)", "", None)
        row("ThermAdjust first tick: bytes read twice", f"{twice}", "0", twice == 0)
        later = int(b["later_transfers"])
        row("ThermAdjust later tick: transfers, wire bytes",
            f"{later} transfers, {int(b['later_wire_bytes'])} bytes", "2 transfers", later == 2)

    b = find(runs, "BM_GeneratePlatform8ModbusMapAndTree")
    if b:
        row(f"Map ({int(b['map_nodes'])} cells) and tree ({int(b['tree_nodes'])} objects) of "
            "platform 8, Modbus, 4 loggers of 1000, fresh levels, median",
            f"CPU {ms(b, 'cpu_time'):.2f} ms (wall {ms(b, 'real_time'):.2f} ms)", "< 5 ms",
            ms(b, "cpu_time") < 5)
    for prefix, what in (("BM_GeneratePlatform8ModbusMap", "of which the map alone"),
                         ("BM_GeneratePlatform8Tree", "the tree alone, over an indexed map"),
                         ("BM_RegenerateMapAndTreeAfterClear",
                          "map and tree generated again after Clear in the same levels")):
        b = find(runs, prefix)
        if b:
            row(f"{what}, median",
                f"CPU {ms(b, 'cpu_time'):.2f} ms (wall {ms(b, 'real_time'):.2f} ms)", "", None)
    for prefix, what in (("BM_GetNodeFirstKey", "map GetNode, first key"),
                         ("BM_GetNodeLastKey", "map GetNode, last key"),
                         ("BM_GetNodeMissingKey", "map GetNode, missing key (raises 1110)"),
                         ("BM_ObjectGetNodeFirstKey", "tree GetNode, first key"),
                         ("BM_ObjectGetNodeLastKey", "tree GetNode, last key"),
                         ("BM_ObjectGetNodeMissingKey", "tree GetNode, missing key (null)")):
        b = find(runs, prefix)
        if b:
            cpu = ms(b, "cpu_time") * 1000
            row(f"{what}, median", f"CPU {cpu:.3f} µs (wall {ms(b, 'real_time') * 1000:.3f} µs)",
                "< 2 µs", cpu < 2)

    for n in range(1, 5):
        g, l = runs.get(f"BM_ImageValueGet/{n}"), runs.get(f"BM_ImageValueLet/{n}")
        if g and l:
            row(f"Image Value get / let of {n} byte{'s' if n > 1 else ''}",
                f"{g['cpu_time']:.1f} / {l['cpu_time']:.1f} ns CPU", "report", None)
    b = find(runs, "BM_ImageClear64KiB")
    if b:
        row("Image Clear of 64 KiB", f"{ms(b, 'cpu_time') * 1000:.1f} µs CPU", "report", None)
    b = find(runs, "BM_ImageHeapPerByte")
    if b:
        row("Image heap per stored byte (64 KiB stored, mallinfo2)",
            f"{b['heap_bytes_per_stored_byte']:.1f} bytes", "report", None)

    b = find(runs, "BM_TableGenerate05")
    if b:
        row("TableGenerate05 of a 10,000 ppm model, median",
            f"CPU {ms(b, 'cpu_time') * 1000:.1f} µs (wall {ms(b, 'real_time') * 1000:.1f} µs)",
            "report", None)
    f, c = find(runs, "BM_GetCO2Count05FirstCall"), find(runs, "BM_GetCO2Count05Cached")
    if f and c:
        row("GetCO2Count05: first call for a part / later calls (cached table)",
            f"{ms(f, 'cpu_time') * 1000:.1f} / {ms(c, 'cpu_time') * 1000:.3f} µs CPU", "report",
            None)

    j = find(runs, "BM_JournalPerEepromWrite")
    off = runs.get("BM_KvbusWriteToSensor4Eeprom/0/iterations:30/real_time")
    on = runs.get("BM_KvbusWriteToSensor4Eeprom/1/iterations:30/real_time")
    if j and off:
        write = off["write_wall_ms"]
        share = 100.0 * j["journal_wall_ms"] / write
        row(f"EEPROM journal per KVBUS write of 4 bytes (record synced, done mark): wall and "
            f"CPU / the write's own wall time ({write:.1f} ms: unlock, write, verify, lock)",
            f"{share:.2f} % ({j['journal_wall_ms']:.3f} ms); CPU "
            f"{100.0 * j['journal_cpu_ms'] / write:.2f} % ({j['journal_cpu_ms']:.3f} ms)",
            "< 2 %", share < 2.0)
    if off and on:
        row("KVBUS write of 4 EEPROM bytes without / with the journal, wall",
            f"{off['write_wall_ms']:.1f} / {on['write_wall_ms']:.1f} ms", "for comparison", None)

    cal = find(runs, "BM_KvtoolCalibrateTemperatureOffset")
    if cal:
        row("kvtool calibrate cpSpaceTempOffsetAdjust against kvsim at 9600 baud, start to exit / "
            "the least its own transfers take on the line",
            f"{cal['ratio']:.3f} ({cal['wall_ms']:.0f} / {cal['minimum_ms']:.0f} ms)", "<= 1.2",
            cal["ratio"] <= 1.2)

    wb = find(runs, "BM_WorkbenchLoadObjectTree")
    if wb:
        row(f"kvworkbench: Connect and \"Read values\" of the whole object tree "
            f"({int(wb['objects'])} objects, {int(wb['transfers'])} transfers), platform 8, KVBUS, "
            "kvsim at 9600 baud: wall time / the least its own transfers take on the line",
            f"{wb['ratio']:.3f} ({wb['wall_ms']:.0f} / {wb['minimum_ms']:.0f} ms)", "<= 1.05",
            wb["ratio"] <= 1.05)
        row("kvworkbench: longest the window went without handling its events during that load",
            f"{wb['longest_stall_ms']:.1f} ms", "< 100 ms", wb["longest_stall_ms"] < 100)

    lines = {int(name.split("/")[1]): b for name, b in runs.items()
             if name.split("/")[0] == "BM_StationLines"}
    if 1 in lines and 4 in lines:
        rates = ", ".join(f"{n}: {lines[n]['sensors_per_hour']:.0f}" for n in sorted(lines))
        ratio = lines[4]["sensors_per_hour"] / lines[1]["sensors_per_hour"]
        row(f"kvstation, sensors finished per hour over 1, 2, 4 lines of line-rate kvsim sensors "
            f"({rates}): 4 lines / 1 line", f"{ratio:.2f}", ">= 3.6", ratio >= 3.6)

    print("| Figure | Measured | Goal | |")
    print("|---|---|---|---|")
    print("\n".join(rows))
    print()
    print(f"Load average at the start of the run: {context.get('load_avg', [])}")


if __name__ == "__main__":
    main()
