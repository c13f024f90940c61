#include "procedures/COAHCalculation.h"

#include <algorithm>
#include <clocale>
#include <initializer_list>
#include <utility>

#include "kvcal3/InputRanges.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"
#include "procedures/COCircuit.h"
#include "procedures/Co2Arithmetic.h"

namespace kvcal3 {

namespace {

constexpr double kMinAHFactor = 400;
constexpr double kMaxAHFactor = 10000;
constexpr double kMaxTableValue = 15000;

bool within(double value, double low, double high) {
    return value >= low && value <= high;
}

bool within(double value, const char* inputKey) {
    const InputRange range = inputRange(inputKey);
    return within(value, range.low, range.high);
}

// The ranges are those of the catalogue's inputs, which a form checks before the run.
void checkRecording(const COAHRecording& in) {
    const std::pair<double, const char*> recorded[] = {
        {in.spanGas, "cvCOAHZeroSpanCalSpanGas"},  {in.oldSpan, "cvCOAHZeroSpanCalOLDspangas"},
        {in.ahSpan, "cvCOAHZeroSpanCalAHspangas"}, {in.oldDry, "cvCOAHZeroSpanCalOLDdry"},
        {in.ahDry, "cvCOAHZeroSpanCalAHdry"},      {in.oldNorm, "cvCOAHZeroSpanCalOldnorm"},
        {in.ahNorm, "cvCOAHZeroSpanCalAHnorm"},    {in.oldWet, "cvCOAHZeroSpanCalOldwet"},
        {in.ahWet, "cvCOAHZeroSpanCalAHwet"},      {in.oldZero, "cvCOAHZeroSpanCalOldzero"},
        {in.ahZero, "cvCOAHZeroSpanCalAHzero"}};
    for (const auto& [value, key] : recorded)
        if (!within(value, key)) clsErrors().Raise(calInputOutOfRange);
}

// A double as the platform writes it, with the user's decimal separator.
std::string userText(double value) {
    std::string text = kvcom3::doubleToText(value);
    const std::lconv* conventions = std::localeconv();
    if (conventions && conventions->decimal_point && conventions->decimal_point[0] != '\0')
        std::replace(text.begin(), text.end(), '.', conventions->decimal_point[0]);
    return text;
}

// The concentration the table holds at count `cnt` for an element of zero-gas resistance R0
// and sensitivity s, with the divider D.
double tableValue(int cnt, double D, double R0, double s, double r) {
    if (cnt == 0) return kMaxTableValue;
    const double c = cnt * 2048 / D;
    const double V = c * 4.125 / 65536 + 0.375;
    const double U = (1000 + 100000) * (36000 * V) / (1000 * 5);
    const double R =
        divide(36000.0 * 620000 + 620000.0 * 330000, U - 36000 - 330000, "CO table resistance");
    double ppm = divide(R - R0, s * 100, "CO span sensitivity");
    // High concentrations follow the element's square law.
    if (ppm > 1000) {
        const double relative = divide(R - R0, R0 * r, "CO relative sensitivity");
        ppm = relative * relative * 10;
    }
    ppm = std::min(ppm, kMaxTableValue);
    if (ppm < 0) ppm += 65535;
    return ppm;
}

}  // namespace

COAHCalibration computeCOAHCalibration(const COAHRecording& in) {
    checkRecording(in);
    COAHCalibration out{};
    const double rNorm = elementResistance(in.oldNorm);
    const double k = (divide(elementResistance(in.oldWet) - rNorm, in.ahWet - in.ahNorm,
                             "wet and normal humidity are equal") +
                      divide(rNorm - elementResistance(in.oldDry), in.ahNorm - in.ahDry,
                             "normal and dry humidity are equal")) /
                     2000;
    // Zero-gas resistance at humidity 0.
    const double R0 = elementResistance(in.oldZero) - in.ahZero * k * 1000;
    out.divider = divide(125829120, elementCount(R0), "zero-gas count");
    if (!within(out.divider, 1000, 10000)) clsErrors().Raise(calZeroOutOfRange);

    const double expected = in.ahSpan * k * 1000 + R0;
    const double s = (elementResistance(in.oldSpan) - expected) / (in.spanGas * 1000);
    out.ahFactor = divide(s * 163.8, k, "humidity coefficient") * 10;
    if (!within(out.ahFactor, kMinAHFactor, kMaxAHFactor)) {
        clsErrors().Raise(calAHCompOutOfRange,
                          ", (AHv = " + userText(out.ahFactor) + ", Min = 400");
    }

    const double r = divide(s * 100000, R0 * 10, "zero-gas resistance");
    for (int i = 0; i < static_cast<int>(out.table.size()); ++i) {
        out.table[static_cast<std::size_t>(i)] = tableValue(4096 * i, out.divider, R0, s, r);
        if (i >= 8 && i <= 14 && !within(out.table[static_cast<std::size_t>(i)], 20, 800))
            clsErrors().Raise(calTableOutOfRange);
    }
    return out;
}

}  // namespace kvcal3
