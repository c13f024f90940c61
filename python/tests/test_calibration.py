"""ISensCalibration from Python: the catalogue, and a procedure whose question a script answers."""

import pytest

import kvsensor
from conftest import PROFILE, connect


def answer(text):
    return lambda prompt, title, default: text


def refuse(prompt, title, default):
    raise LookupError(prompt)


def cancel(prompt, title, default):
    raise kvsensor.KvError(kvsensor.CANCEL, "Cancel was selected")


@pytest.mark.parametrize(
    "input_box, raises",
    [(answer("23.0"), None), (answer(None), kvsensor.KvError), (cancel, kvsensor.KvError),
     (refuse, LookupError)],
    ids=["answered", "none-cancels", "kv-error-cancels", "script-error"],
)
def test_temperature_offset_adjustment_answered_from_python(start_sensor, input_box, raises):
    sensor = connect(start_sensor("--profile", PROFILE, "--temperature", "23.0", "--no-noise"))
    prompts = []
    kvsensor.set_user_interaction(lambda *question: prompts.append(question[0]) or input_box(*question))
    calibration = kvsensor.ISensCalibration()
    calibration.SetSensor(sensor)

    channel = calibration.Channels["ccSpaceTemp"]
    procedure = channel.Procedures["cpSpaceTempOffsetAdjust"]
    assert calibration.GetProcedure("cpSpaceTempOffsetAdjust").Key == procedure.Key
    assert procedure.InputVariables["cvSpaceTempOffsetAdjustCorrectTemp"].Value == -32767

    temperature = sensor.ObjectLevel.GetNode("foChannelValue4")
    before = temperature.Value(True)
    assert abs(before - 23.0) > 0.1
    if raises is None:
        procedure.Run()
        assert temperature.Value(True) == pytest.approx(23.0, abs=0.1)
    else:
        with pytest.raises(raises) as raised:
            procedure.Run()
        if raises is kvsensor.KvError:
            assert raised.value.cancelled
        assert temperature.Value(True) == pytest.approx(before, abs=0.05)
    assert prompts == ["Please enter correct temperature"]


@pytest.mark.parametrize("choice", [kvsensor.ReadingChoice.Next, kvsensor.ReadingChoice.Cancel])
def test_reading_display_watched_from_python(start_sensor, choice):
    sensor = connect(start_sensor("--profile", PROFILE, "--no-noise"))
    readings = []

    def show_reading(prompt, read):
        readings.extend([read(), read()])
        return choice

    kvsensor.set_user_interaction(None, show_reading)
    calibration = kvsensor.ISensCalibration()
    calibration.SetSensor(sensor)
    procedure = calibration.GetProcedure("cpCO2ZeroCal")
    if choice == kvsensor.ReadingChoice.Next:
        procedure.ShowReadings()
    else:
        with pytest.raises(kvsensor.KvError) as raised:
            procedure.ShowReadings()
        assert raised.value.cancelled
    assert len(readings) == 2 and all(reading > 0 for reading in readings)
