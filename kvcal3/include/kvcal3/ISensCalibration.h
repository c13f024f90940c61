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

    std::shared_ptr<kvCalChannels> Channels();
    // The first procedure whose key equals strKey exactly; 1000 "Procedure not found " when none.
    std::shared_ptr<kvCalProcedure> GetProcedure(const std::string& strKey);
    // The sensor every procedure of the library talks to, for all ISensCalibration objects.
    void SetSensor(std::shared_ptr<kvcom3::ISensMem> sensor);

    kvcom3::Event<std::string> ComLogg;
    kvcom3::Event<std::string> Action;
    kvcom3::Event<std::int16_t> Progress;

  private:
    void BuildChannels();

    std::shared_ptr<kvCalChannels> channels_;
    bool ChannelsBuilt = false;
};

}  // namespace kvcal3
