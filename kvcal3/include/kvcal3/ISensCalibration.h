#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kvcal3/kvCalChannel.h"
#include "kvcom3/Event.h"
#include "kvcom3/ISensMem.h"

namespace kvcal3 {

// The calibration library's entry object. Given a connected sensor it builds, on first use, the
// channels, procedures and inputs that fit the sensor; the catalogue then stays for the life of
// this object (another sensor type needs a new one).
class ISensCalibration {
  public:
    ISensCalibration();
    ~ISensCalibration();
    ISensCalibration(const ISensCalibration&) = delete;
    ISensCalibration& operator=(const ISensCalibration&) = delete;

    // The channels that fit the sensor, built on the first call (reading its platform and a few
    // cells) and the same collection after. The build is tried once: its errors (91 when no sensor
    // was set, the sensor's errors unchanged) leave the catalogue as far as it got.
    std::shared_ptr<kvCalChannels> Channels();
    // The first procedure, channel by channel, whose key equals strKey exactly (letter case
    // included), building the catalogue first as Channels does; 1000 "Procedure not found "
    // when none, and the errors of the build.
    std::shared_ptr<kvCalProcedure> GetProcedure(const std::string& strKey);
    // The sensor every procedure of the library talks to, for all ISensCalibration objects; a
    // catalogue already built is kept. No errors.
    void SetSensor(std::shared_ptr<kvcom3::ISensMem> sensor);

    // The events of the sensor's contract (see ISensMem), for clients that connect to this
    // object; the library itself raises none of them.
    kvcom3::Event<std::string> ComLogg;
    kvcom3::Event<std::string> Action;
    kvcom3::Event<std::int16_t> Progress;

  private:
    void BuildChannels();

    std::shared_ptr<kvCalChannels> channels_;
    bool ChannelsBuilt = false;
};

}  // namespace kvcal3
