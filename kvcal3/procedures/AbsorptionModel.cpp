#include "procedures/AbsorptionModel.h"

#include <cmath>

#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

namespace kvcal3 {

AbsorptionModel::AbsorptionModel(double A, double B, double C, double D, double E, double Tmax)
    : A_(A), B_(B), C_(C), D_(D), E_(E), fTmax_(f(Tmax)) {
    if (fTmax_ == 1) {
        kvcom3::raisePlatformError(kvcom3::platform_error::DivisionByZero,
                                   "the model absorbs nothing up to Tmax");
    }
}

double AbsorptionModel::f(double x) const {
    return A_ * std::exp(B_ * x) + C_ * std::exp(B_ * D_ * x) + E_ * std::exp(B_ * D_ * D_ * x) +
           1 - A_ - C_ - E_;
}

std::int32_t AbsorptionModel::count(double x) const {
    return kvcom3::toLong((f(x) - fTmax_) / (1 - fTmax_) * 61440);
}

}  // namespace kvcal3
