#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/Options.h"
#include "host/PtyHost.h"
#include "kvcom3/KvError.h"
#include "kvcom3/SensorBackup.h"
#include "model/Platform.h"
#include "model/ProfileSensor.h"

namespace {

kvsim::PtyHost* gHost = nullptr;

extern "C" void onSignal(int) {
    if (gHost) gHost->stop();
}

// The profile that lends a backup its physics: the one named, else a shipped profile of the same
// part byte, else one of the same platform.
kvsim::Profile physicsFor(const kvcom3::SensorBackup& backup, const std::string& named) {
    if (!named.empty()) return kvsim::loadProfile(kvsim::profileFile(named));
    std::optional<kvsim::Profile> samePlatform;
    for (const auto& name : kvsim::Sensor::profileNames()) {
        kvsim::Profile profile = kvsim::loadProfile(kvsim::profileFile(name));
        if (profile.partByte == backup.sensor.part) return profile;
        if (!samePlatform && kvsim::platformOfPartByte(profile.partByte) == backup.sensor.platform)
            samePlatform = profile;
    }
    if (!samePlatform)
        throw std::runtime_error("no profile of platform " +
                                 std::to_string(backup.sensor.platform) +
                                 "; name one with --profile");
    return *samePlatform;
}

std::shared_ptr<kvsim::Sensor> imageSensor(const std::string& file, const std::string& profile) {
    kvcom3::SensorBackup backup;
    try {
        backup = kvcom3::readSensorBackup(file);
    } catch (const kvcom3::KvError& e) {
        throw std::runtime_error("error " + std::to_string(e.number()) + ": " + e.description());
    }
    kvsim::Profile physics = physicsFor(backup, profile);
    physics.partByte = static_cast<std::uint8_t>(backup.sensor.part);
    physics.serialNumber = static_cast<std::uint32_t>(backup.sensor.serial);
    physics.eepromSize = backup.eeprom.size();
    if (!backup.ram.empty()) physics.ramSize = backup.ram.size();
    auto sensor = std::make_shared<kvsim::ProfileSensor>(std::move(physics));
    sensor->loadImage(backup.eeprom, backup.ram);
    return sensor;
}

std::shared_ptr<kvsim::Sensor> loadSensor(const kvsim::app::Options& options,
                                          const kvsim::app::SensorPlace& place) {
    std::shared_ptr<kvsim::Sensor> sensor = place.image.empty()
                                                ? kvsim::Sensor::fromProfile(place.profile)
                                                : imageSensor(place.image, place.profile);
    auto& world = sensor->world();
    if (options.temperature) world.temperatureC = *options.temperature;
    if (options.co2) world.co2ppm = *options.co2;
    if (options.rh) world.rhPercent = *options.rh;
    if (options.co) world.coPpm = *options.co;
    if (options.noNoise) world.noise = false;
    return sensor;
}

int run(const kvsim::app::Options& options) {
    std::vector<kvsim::Station> stations;
    for (const auto& place : options.sensors) {
        stations.push_back({.sensor = loadSensor(options, place),
                            .protocol = options.protocol,
                            .id = options.id,
                            .ack = static_cast<std::uint8_t>(options.ack86 ? 0x86 : 0x06),
                            .at = place.at});
    }
    auto line = kvsim::makeLine(stations, options.line);
    for (const auto& fault : options.faults) line->addFault(fault);

    kvsim::PtyHost host(line, options.link);
    gHost = &host;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::cout << host.path() << std::endl;
    std::cerr << "kvsim: " << options.sensors.size() << " sensor(s) on " << host.name() << '\n';
    host.serve();
    gHost = nullptr;
    if (line->unplugged()) std::cerr << "kvsim: unplugged\n";

    if (!options.transcript.empty()) {
        std::ofstream out(options.transcript);
        out << line->transcript().text();
        if (!out) throw std::runtime_error("cannot write the transcript to " + options.transcript);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    kvsim::app::Options options;
    if (auto exitCode = kvsim::app::parseOptions(argc, argv, options)) return *exitCode;
    try {
        if (options.listProfiles) {
            for (const auto& name : kvsim::Sensor::profileNames()) std::cout << name << '\n';
            return 0;
        }
        return run(options);
    } catch (const std::exception& e) {
        std::cerr << "kvsim: " << e.what() << '\n';
        return 1;
    }
}
