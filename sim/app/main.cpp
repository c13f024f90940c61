#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "app/Options.h"
#include "host/PtyHost.h"

namespace {

kvsim::PtyHost* gHost = nullptr;

extern "C" void onSignal(int) {
    if (gHost) gHost->stop();
}

std::shared_ptr<kvsim::Sensor> loadSensor(const kvsim::app::Options& options,
                                          const std::string& profile) {
    std::shared_ptr<kvsim::Sensor> sensor = kvsim::Sensor::fromProfile(profile);
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
        stations.push_back({.sensor = loadSensor(options, place.profile),
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
