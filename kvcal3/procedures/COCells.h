#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kvcal3 {

// Memory cells of the CO probe.
inline constexpr std::string_view kCOSignalCell = "raChan_13";  // live raw count of the element
inline constexpr std::string_view kCOHeaterCell = "eawPar_3";   // heater drive; Figaro: zero
inline constexpr std::string_view kCODividerCell = "eawPar_2";
inline constexpr std::string_view kCOAHFactorCell = "eaRegPar1_4";
inline constexpr int kCOTablePoints = 17;

// "eaTable4_" + i: the CO concentration at count 4096 i.
std::string coTableCell(int i);

// The element's raw count as the sensor measures it now.
std::int32_t liveCOSignal();

// Writes a cell and sends it on to the sensor at once.
void writeThrough(std::string_view key, std::int32_t value);

}  // namespace kvcal3
