#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "CalFixture.h"

// The platform-8 sensor with the heated CO probe, its EEPROM cells as the sensor keeps them,
// and a fresh directory for the heater calibration log while the test runs.
class CoFixture : public CalFixture {
  protected:
    void SetUp() override {
        CalFixture::SetUp();
        logDir = std::filesystem::temp_directory_path() /
                 ("kvcal3-co-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(logDir);
        if (const char* before = std::getenv("KVCAL3_LOG_DIR")) logDirBefore = before;
        ::setenv("KVCAL3_LOG_DIR", logDir.c_str(), 1);
        connect(profile());
    }
    void TearDown() override {
        if (logDirBefore.empty()) {
            ::unsetenv("KVCAL3_LOG_DIR");
        } else {
            ::setenv("KVCAL3_LOG_DIR", logDirBefore.c_str(), 1);
        }
        std::error_code ignored;
        std::filesystem::remove_all(logDir, ignored);
        CalFixture::TearDown();
    }
    virtual std::string profile() const { return "p8-co-probe"; }

    kvcom3::Variant& input(const std::shared_ptr<kvcal3::kvCalProcedure>& proc,
                           const std::string& key) {
        return proc->InputVariables()->Item(key)->Value;
    }
    static bool notSet(const kvcom3::Variant& v) {
        return v == kvcom3::Variant(kvcal3::NotSetMarker);
    }
    // A cell's 16-bit word as the sensor keeps it in its EEPROM.
    std::int32_t sensorWord(const std::string& key) {
        return static_cast<std::uint16_t>(eepromWord(adr(key)));
    }
    void setSensorWord(const std::string& key, std::int32_t value) {
        setEepromWord(adr(key), value);
    }
    bool wrote() const {
        return std::find(memActions.begin(), memActions.end(), "Writing to sensor") !=
               memActions.end();
    }
    // The element's raw count the sensor shows now.
    std::int32_t liveSignal() { return cell("raChan_13", true); }

    // The log files of the run, by name.
    std::vector<std::filesystem::path> logFiles() const {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(logDir))
            files.push_back(entry.path());
        return files;
    }
    static std::string bytesOf(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path logDir;

  private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::string logDirBefore;
};
