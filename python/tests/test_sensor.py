"""ISensMem from Python against the virtual sensor: identity, tree, cells, errors, events, cancel."""

import json
import os
import subprocess
import sys
import threading
import time

import pytest

import kvsensor
from conftest import PROFILE, SOURCE, connect, profile


@pytest.mark.parametrize("protocol", ["kvbus", "modbus"])
def test_identity_and_serial_number(start_sensor, protocol):
    facts = profile()
    sensor = connect(start_sensor("--profile", PROFILE, "--protocol", protocol), protocol)
    assert (sensor.OnLine, sensor.ComPort) == (True, 1)
    assert sensor.Platform == 8
    assert sensor.PartNr == facts["partByte"]
    assert sensor.MemSize(kvsensor.enmEEPROM) == facts["eeprom"]["size"]
    assert sensor.SerialNr(True) == f"{facts['partByte']}{facts['serialNumber']:05d}"


def test_object_tree_walked_and_value_read_with_unit(start_sensor):
    sensor = connect(start_sensor("--profile", PROFILE, "--temperature", "23.0", "--no-noise"))
    tree = sensor.ObjectLevel
    keys = []

    def walk(nodes):
        for position, node in enumerate(nodes, 1):
            assert nodes.Item(position).Key == node.Key == nodes[position - 1].Key
            keys.append(node.Key)
            walk(node.Nodes)

    walk(tree.Nodes)
    assert "foChannelValue4" in keys and len(keys) > 50

    temperature = tree.GetNode("FOCHANNELVALUE4")
    assert temperature.Key == "foChannelValue4"
    assert temperature.Unit == "°C"
    assert temperature.Value(True) == pytest.approx(23.0, abs=3)

    top = tree.Nodes
    assert len(top) == top.Count > 0
    assert top[-1].Key == top.Item(top.Count).Key
    assert top[top[0].Key.upper()].Key == top[0].Key and top[0].Key in top
    assert tree.GetNode("foNoSuchObject") is None and "foNoSuchObject" not in top
    with pytest.raises(IndexError):
        top[len(top)]
    with pytest.raises(KeyError):
        top["foNoSuchObject"]


@pytest.mark.parametrize("protocol", ["kvbus", "modbus"])
def test_cell_written_reads_back_on_a_fresh_connection_and_is_journaled(
    start_sensor, protocol, tmp_path
):
    path = start_sensor("--profile", PROFILE, "--protocol", protocol)
    kvsensor.enable_journal("pytest", str(tmp_path))
    try:
        kvsensor.set_journal_operation("set eaUserInfo_0")
        cell = connect(path, protocol).ArrayLevel.GetNode("eaUserInfo_0")
        written = (cell.Value(True) + 0x5A) % 256
        cell.LetValue(True, written)
    finally:
        kvsensor.disable_journal()
    assert not kvsensor.journal_enabled()
    assert connect(path, protocol).ArrayLevel.GetNode("eaUserInfo_0").Value(True) == written
    (journal,) = tmp_path.iterdir()
    record = journal.read_text(encoding="utf-8")
    assert "program=pytest" in record and "operation=set eaUserInfo_0" in record


@pytest.mark.parametrize(
    "action, number",
    [
        (lambda s: kvsensor.bind_port(1, "/nonexistent/tty") or s.SerialNr(True), 53),
        (lambda s: kvsensor.bind_port(24, "/dev/null"), 9),
        (lambda s: s.ArrayLevel.GetNode("eaNoSuchCell"), 1110),
        (lambda s: s.ObjectLevel.Nodes.Item("foNoSuchObject"), 5),
        (lambda s: s.AdressLevel.Value(0, 0), 6),
        (lambda s: s.MemSize(kvsensor.enmFLASH), 1203),
    ],
    ids=["no-device", "port-range", "no-cell", "no-item", "zero-bytes", "flash-size"],
)
def test_failure_raises_kv_error_with_its_number(start_sensor, action, number):
    sensor = connect(start_sensor("--profile", PROFILE))
    with pytest.raises(kvsensor.KvError) as raised:
        action(sensor)
    assert isinstance(raised.value, RuntimeError)
    assert raised.value.number == number and raised.value.description
    assert str(raised.value) == f"error {number}: {raised.value.description}"


def test_events_and_frames_reach_python_and_a_handler_error_ends_the_member(start_sensor):
    sensor = connect(start_sensor("--profile", PROFILE))
    logs, actions, progress, frames = [], [], [], []
    sensor.ComLogg.connect(logs.append)
    sensor.Action.connect(actions.append)
    sensor.Progress.connect(progress.append)
    kvsensor.set_frame_trace(lambda direction, data, seconds: frames.append((direction, data)))

    sensor.Connect()
    sensor.AdressLevel.ReadFromSensor(0, 64, kvsensor.kvRAM, kvsensor.kvReadFromSensor)
    assert logs[0] == "Connect port=1 ID=-1"
    assert "Reading from sensor" in actions and actions[-1] == ""
    assert progress[-1] == 100 and progress == sorted(progress)
    assert {direction for direction, _ in frames} == {
        kvsensor.TraceDirection.Sent,
        kvsensor.TraceDirection.Received,
    }
    assert all(isinstance(data, bytes) and data for _, data in frames)

    def refuse(text):
        raise LookupError(text)

    refusal = sensor.Action.connect(refuse)
    with pytest.raises(LookupError):
        sensor.AdressLevel.ReadFromSensor(0, 8, kvsensor.kvRAM, kvsensor.kvReadFromSensor)
    sensor.Action.disconnect(refusal)
    # The port was closed and the cancel used up: the next transfer goes through.
    assert sensor.SerialNr(True) == f"{profile()['partByte']}{profile()['serialNumber']:05d}"


def test_cancel_from_another_thread_ends_a_long_read_within_one_attempt(start_sensor):
    path = start_sensor("--profile", PROFILE)

    def cancelled_read():
        sensor = connect(path, address=7)  # nobody answers at address 7: every attempt times out
        cancelled = []

        def cancel():
            time.sleep(1.0)
            cancelled.append(time.monotonic())
            sensor.Cancel()

        canceller = threading.Thread(target=cancel)
        started = time.monotonic()
        canceller.start()
        with pytest.raises(kvsensor.KvError) as raised:
            sensor.SerialNr(True)
        ended = time.monotonic()
        canceller.join()
        assert raised.value.number == kvsensor.CANCEL and raised.value.cancelled
        return started, cancelled[0], ended

    # The length of an attempt, from the frames of a first read.
    sent = []
    kvsensor.set_frame_trace(
        lambda direction, data, seconds: direction == kvsensor.TraceDirection.Sent
        and sent.append(seconds)
    )
    cancelled_read()
    attempt = max(later - earlier for earlier, later in zip(sent, sent[1:]))

    # No Python code runs on the reading thread now, so the canceller runs on time only if the
    # read lets go of the GIL while it waits.
    kvsensor.set_frame_trace(None)
    started, cancelled, ended = cancelled_read()
    assert cancelled - started < 2.0
    assert ended - cancelled < attempt + 0.5
    # The cancel ended that read only.
    assert connect(path).SerialNr(True)


def test_example_prints_the_tree_as_json(start_sensor):
    path = start_sensor("--profile", PROFILE, "--protocol", "modbus")
    result = subprocess.run(
        [sys.executable, str(SOURCE / "examples" / "sensor_tree.py"), path, "--protocol", "modbus",
         "--id", "1"],
        capture_output=True, text=True, timeout=120, env=os.environ, check=False,
    )
    assert result.returncode == 0, result.stderr
    report = json.loads(result.stdout)
    assert report["serialNumber"] == f"{profile()['partByte']}{profile()['serialNumber']:05d}"

    def find(nodes, key):
        for node in nodes:
            if node["key"] == key:
                return node
            found = find(node.get("nodes", []), key)
            if found:
                return found
        return None

    assert find(report["tree"], "foChannelValue4")["unit"] == "°C"
