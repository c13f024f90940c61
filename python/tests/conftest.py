"""The virtual sensor program on a pseudo-terminal, and a clean library state for every test."""

import json
import os
import select
import shutil
import subprocess
from pathlib import Path

import pytest

import kvsensor

SOURCE = Path(__file__).resolve().parents[2]
PROFILE = "p8-co2-temp-rh"


def profile(name=PROFILE):
    with open(SOURCE / "sim" / "profiles" / f"{name}.json", encoding="utf-8") as file:
        return json.load(file)


def connect(path, protocol="kvbus", address=None):
    """A sensor on port 1 bound to path; address -1 (any) for KVBUS, slave 1 for Modbus."""
    kvsensor.bind_port(1, path)
    sensor = kvsensor.ISensMem()
    sensor.Protokoll = kvsensor.kvMB if protocol == "modbus" else kvsensor.kvKV
    if address is None:
        address = 1 if protocol == "modbus" else -1
    sensor.Connect(1, address)
    return sensor


@pytest.fixture
def start_sensor():
    """Starts kvsim with the given arguments and returns the pty path it serves."""
    program = os.environ.get("KVSIM_BINARY") or shutil.which("kvsim")
    if not program:
        pytest.fail("no kvsim program: set KVSIM_BINARY")
    started = []

    def start(*arguments):
        process = subprocess.Popen(
            [program, *arguments], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True
        )
        started.append(process)
        ready, _, _ = select.select([process.stdout], [], [], 10)
        path = process.stdout.readline().strip() if ready else ""
        if not path.startswith("/dev/"):
            process.kill()
            pytest.fail(f"kvsim did not start: {path or process.stderr.read()}")
        return path

    yield start
    for process in started:
        process.terminate()
        process.wait(10)


@pytest.fixture(autouse=True, scope="session")
def lock_directory(tmp_path_factory):
    """Serial-port lock files of the tests go to a directory of their own, not /run/lock."""
    os.environ["KVCOM3_LOCK_DIR"] = str(tmp_path_factory.mktemp("lock"))
    yield


@pytest.fixture(autouse=True)
def library_hooks_reset():
    yield
    kvsensor.set_frame_trace(None)
    kvsensor.set_user_interaction(None)
    kvsensor.set_event_pump(None)
    kvsensor.unbind_port(1)
