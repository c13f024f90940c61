#pragma once

namespace kvcal3 {

// The measuring circuit of the heated CO probe: the heater drive stage and the divider that
// turns the sensing element's resistance into a 16-bit ADC count.

// Heater drive value (the count the sensor's heater stage takes) that runs a heater of
// operating resistance R ohm at its working point.
double heaterValue(double R);

// Count of the element for a sensing resistance W ohm, as the heater calibration aims at it;
// `shift` moves the sensing term 226920005632 / W (the calibration's window is +-4000).
double heaterCalCount(double W, double shift = 0);

// Element resistance (ohm) of a raw count, and the raw count of a resistance.
double elementResistance(double n);
double elementCount(double r);

}  // namespace kvcal3
