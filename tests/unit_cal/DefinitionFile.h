#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// Coefficients of a sensor definition file as mantissa and decimal exponent, and Tmax.
struct DefCoefficients {
    std::int32_t aMantissa = 5, aExponent = -1;   // A = 0.5
    std::int32_t bMantissa = -5, bExponent = -4;  // B = -0.0005
    std::int32_t cMantissa = 3, cExponent = -1;   // C = 0.3
    std::int32_t dMantissa = 5, dExponent = -1;   // D = 0.5
    std::int32_t eMantissa = 1, eExponent = -1;   // E = 0.1
    std::int32_t tmax = 10000;

    double value(std::int32_t mantissa, std::int32_t exponent) const {
        return mantissa * std::pow(10.0, exponent);
    }
    // The model's count of concentration x, as the file describes it.
    double count(double x) const {
        const double A = static_cast<float>(value(aMantissa, aExponent));
        const double B = static_cast<float>(value(bMantissa, bExponent));
        const double C = static_cast<float>(value(cMantissa, cExponent));
        const double D = static_cast<float>(value(dMantissa, dExponent));
        const double E = static_cast<float>(value(eMantissa, eExponent));
        auto f = [&](double v) {
            return A * std::exp(B * v) + C * std::exp(B * D * v) + E * std::exp(B * D * D * v) + 1 -
                   A - C - E;
        };
        return (f(x) - f(tmax)) / (1 - f(tmax)) * 61440;
    }
};

// Writes a definition file: filler bytes, then the eleven little-endian fields from offset 136.
inline void writeDefinitionFile(const std::filesystem::path& path, const DefCoefficients& k,
                                std::size_t size = 180) {
    std::array<unsigned char, 180> bytes{};
    for (std::size_t i = 0; i < 136; ++i) bytes[i] = static_cast<unsigned char>(0xA5 ^ i);
    const std::array<std::int32_t, 11> fields{k.aMantissa, k.aExponent, k.bMantissa, k.bExponent,
                                              k.cMantissa, k.cExponent, k.dMantissa, k.dExponent,
                                              k.eMantissa, k.eExponent, k.tmax};
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const auto raw = static_cast<std::uint32_t>(fields[f]);
        for (std::size_t b = 0; b < 4; ++b) {
            bytes[136 + 4 * f + b] = static_cast<unsigned char>(raw >> (8 * b));
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(std::min(size, bytes.size())));
}

// A fresh directory named as the fallback directory of definition files while it lives.
class DefinitionDirectory {
  public:
    DefinitionDirectory() {
        path_ = std::filesystem::temp_directory_path() /
                ("kvcal3-def-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(path_);
        if (const char* before = std::getenv("KVCAL3_DEF_DIR")) before_ = before;
        ::setenv("KVCAL3_DEF_DIR", path_.c_str(), 1);
    }
    ~DefinitionDirectory() {
        if (before_.empty()) {
            ::unsetenv("KVCAL3_DEF_DIR");
        } else {
            ::setenv("KVCAL3_DEF_DIR", before_.c_str(), 1);
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    DefinitionDirectory(const DefinitionDirectory&) = delete;
    DefinitionDirectory& operator=(const DefinitionDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

  private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path_;
    std::string before_;
};
