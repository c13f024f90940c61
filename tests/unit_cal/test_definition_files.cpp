#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "DefinitionFile.h"
#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "procedures/DefinitionFiles.h"

using namespace kvcal3;

namespace {

template <class Fn>
kvcom3::KvError errorOf(Fn&& call) {
    try {
        call();
    } catch (const kvcom3::KvError& e) {
        return e;
    }
    return kvcom3::KvError(0, "no error");
}

struct Coefficients {
    float A = 0, B = 0, C = 0, D = 0, E = 0, Tmax = 0;
};

Coefficients read(kvCalProcedure& proc, std::uint8_t part) {
    Coefficients k;
    proc.GetSnsDef(part, k.A, k.B, k.C, k.D, k.E, k.Tmax);
    return k;
}

class DefinitionFiles : public ::testing::Test {
  protected:
    DefinitionDirectory dir;
    kvCalProcedure proc;
};

}  // namespace

TEST(DefinitionFileLocation, NamesPadThePartToFiveDigits) {
    EXPECT_EQ(snsDefFileName(7), "DEF00007.PDT");
    EXPECT_EQ(snsDefFileName(42), "DEF00042.PDT");
    EXPECT_EQ(snsDefFileName(123), "DEF00123.PDT");
    EXPECT_EQ(snsDefFileName(0), "DEF00000.PDT");
}

TEST(DefinitionFileLocation, BesideTheProgramFirstThenTheFallbackDirectory) {
    DefinitionDirectory program;
    DefinitionDirectory fallback;
    EXPECT_EQ(snsDefPath(7, program.path(), fallback.path()), fallback.file("DEF00007.PDT"))
        << "found nowhere: the fallback path, for the not-found error";
    writeDefinitionFile(fallback.file("DEF00007.PDT"), {});
    EXPECT_EQ(snsDefPath(7, program.path(), fallback.path()), fallback.file("DEF00007.PDT"));
    writeDefinitionFile(program.file("DEF00007.PDT"), {});
    EXPECT_EQ(snsDefPath(7, program.path(), fallback.path()), program.file("DEF00007.PDT"));
    EXPECT_EQ(snsDefPath(7, {}, fallback.path()), fallback.file("DEF00007.PDT"));
}

TEST(DefinitionFileLocation, FallbackDirectoryComesFromTheEnvironment) {
    DefinitionDirectory dir;
    EXPECT_EQ(snsDefFallbackDirectory(), dir.path());
    ::unsetenv("KVCAL3_DEF_DIR");
    EXPECT_FALSE(snsDefFallbackDirectory().empty()) << "the installed data directory";
    EXPECT_NE(snsDefFallbackDirectory(), dir.path());
}

TEST_F(DefinitionFiles, FileBesideTheRunningProgramWins) {
    DefCoefficients beside;
    beside.tmax = 4321;
    const auto besidePath = programDirectory() / "DEF00251.PDT";
    writeDefinitionFile(besidePath, beside);
    writeDefinitionFile(dir.file("DEF00251.PDT"), {});
    const float tmax = read(proc, 251).Tmax;
    std::filesystem::remove(besidePath);
    EXPECT_EQ(tmax, 4321);
    EXPECT_EQ(read(proc, 251).Tmax, 10000) << "without it, the fallback directory's file";
}

TEST_F(DefinitionFiles, FieldsAreMantissaTimesPowerOfTen) {
    DefCoefficients k;
    k.bMantissa = -123456;
    k.bExponent = -8;
    k.eMantissa = 7;
    k.eExponent = 2;
    k.tmax = 20000;
    writeDefinitionFile(dir.file("DEF00007.PDT"), k);
    const Coefficients got = read(proc, 7);
    EXPECT_EQ(got.A, 0.5f) << "mantissa 5, exponent -1";
    EXPECT_EQ(got.B, static_cast<float>(-0.00123456));
    EXPECT_EQ(got.C, 0.3f);
    EXPECT_EQ(got.D, 0.5f);
    EXPECT_EQ(got.E, 700.0f);
    EXPECT_EQ(got.Tmax, 20000.0f);
}

TEST_F(DefinitionFiles, MissingOrShortFilesAreRefused) {
    const auto missing = errorOf([&] { read(proc, 9); });
    EXPECT_EQ(missing.number(), 1004);
    EXPECT_EQ(missing.description(), "Sensor definition file not found ");

    writeDefinitionFile(dir.file("DEF00009.PDT"), {}, 179);
    const auto shortFile = errorOf([&] { read(proc, 9); });
    EXPECT_EQ(shortFile.number(), 62);
    EXPECT_NE(shortFile.description().find("DEF00009.PDT"), std::string::npos)
        << shortFile.description();

    std::filesystem::create_directory(dir.file("DEF00010.PDT"));
    EXPECT_EQ(errorOf([&] { read(proc, 10); }).number(), 1004) << "a directory is no file";
}

TEST_F(DefinitionFiles, TableHoldsTheConcentrationOfEveryCountStep) {
    const DefCoefficients k;
    writeDefinitionFile(dir.file("DEF00007.PDT"), k);
    std::array<float, 16> table{};
    table.fill(-1);
    proc.TableGenerate05(7, table);
    EXPECT_EQ(table[15], 0);
    for (int i = 0; i < 15; ++i) {
        const float x = table[static_cast<std::size_t>(i)];
        EXPECT_EQ(x, std::trunc(x)) << i;
        // The point is the truncation of a concentration whose count is 4096 i.
        EXPECT_GE(std::lrint(k.count(x)), 4096 * i) << i;
        EXPECT_LE(std::lrint(k.count(x + 1)), 4096 * i) << i;
        EXPECT_GT(x, table[static_cast<std::size_t>(i + 1)]) << i;
    }
    EXPECT_LE(table[0], 10000);
    EXPECT_GT(table[0], 9900) << "at or just below Tmax";
}

TEST_F(DefinitionFiles, TableNeedsSixteenElements) {
    writeDefinitionFile(dir.file("DEF00007.PDT"), {});
    std::array<float, 15> small{};
    EXPECT_EQ(errorOf([&] { proc.TableGenerate05(7, small); }).number(), 9);
}

TEST_F(DefinitionFiles, ModelThatDoesNotFallEndsTheSearch) {
    // f = e^(-x/1000) - 0.5 e^(-x/2000) + 0.5 has its minimum at Tmax and rises beyond it, so
    // the count touches 0 only there and levels off above it: the search for 0 overshoots.
    DefCoefficients dip;
    dip.aMantissa = 1;
    dip.aExponent = 0;
    dip.bMantissa = -1;
    dip.bExponent = -3;
    dip.cMantissa = -5;
    dip.eMantissa = 0;
    dip.tmax = 2773;
    writeDefinitionFile(dir.file("DEF00008.PDT"), dip);
    int passes = 0;
    kvcom3::setEventPump([&] { ++passes; });
    std::array<float, 16> table{};
    const auto error = errorOf([&] { proc.TableGenerate05(8, table); });
    kvcom3::setEventPump(nullptr);
    EXPECT_EQ(error.number(), 5);
    EXPECT_NE(error.description().find("DEF00008.PDT"), std::string::npos) << error.description();
    EXPECT_LE(passes, 16 * 1000);
}

TEST_F(DefinitionFiles, CountOfAConcentrationFollowsTheGeneratedTable) {
    writeDefinitionFile(dir.file("DEF00007.PDT"), {});
    std::array<float, 16> table{};
    proc.TableGenerate05(7, table);
    kvCalProcedure other;
    EXPECT_EQ(other.GetCO2Count05(7, 0), 61440);
    const float mid = (table[12] + table[13]) / 2;
    EXPECT_EQ(other.GetCO2Count05(7, mid), 4096 * 12 + 2048);
    EXPECT_EQ(other.GetCO2Count05(7, table[3]), 4096 * 3);
    EXPECT_EQ(other.GetCO2Count05(7, -5), 65535) << "outside the table";
    EXPECT_EQ(other.GetCO2Count05(7, 1e6f), 65535);
}

TEST_F(DefinitionFiles, SamePartTwiceReadsTheFileOnce) {
    writeDefinitionFile(dir.file("DEF00007.PDT"), {});
    const float first = proc.GetCO2Count05(7, 1000);
    std::filesystem::remove(dir.file("DEF00007.PDT"));
    EXPECT_EQ(proc.GetCO2Count05(7, 1000), first);
    EXPECT_EQ(errorOf([&] { proc.GetCO2Count05(8, 1000); }).number(), 1004)
        << "another part needs its own file";
    EXPECT_EQ(proc.GetCO2Count05(7, 1000), first) << "a failed generation keeps the table";
}

TEST_F(DefinitionFiles, FlatTablesFail) {
    EXPECT_EQ(errorOf([&] { proc.GetCO2Count05(0, 400); }).number(), 11)
        << "part 0 meets the initial all-zero table";
    DefCoefficients flat;
    flat.tmax = 5;  // a few ppm cover all counts, so neighbouring points truncate alike
    writeDefinitionFile(dir.file("DEF00003.PDT"), flat);
    EXPECT_EQ(errorOf([&] { proc.GetCO2Count05(3, 400); }).number(), 11);
}
