#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "kvcom3/Enums.h"
#include "kvcom3/Event.h"
#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/clsObjectLevel.h"
#include "kvcom3/kvEnum.h"

namespace kvcom3 {

// The entry object of the communication library. A caller chooses the protocol, connects to a
// port and sensor address, and works through the levels it hands out; the address level's
// events arrive here unchanged. Connect sends nothing: the first transfer happens when a level
// reads or writes.
class ISensMem {
  public:
    ISensMem();
    ~ISensMem();
    ISensMem(const ISensMem&) = delete;
    ISensMem& operator=(const ISensMem&) = delete;

    // The memory map, created on first use (generated on its own first use).
    std::shared_ptr<clsArrayLevel> ArrayLevel();
    std::shared_ptr<clsAdressLevel> AdressLevel();
    // The enumeration collection shared by the object trees; it survives Connect and ClearAll.
    std::shared_ptr<kvEnums> Enums();
    // Releases the address level and the levels built on it; the next access builds them anew.
    void ClearAll();
    // Closes serial port `PortNr` if it is open.
    void ClosePort(std::int16_t PortNr = 1);
    // The object tree, created with the levels under it on first use (built on its own first
    // use, which generates the memory map).
    std::shared_ptr<clsObjectLevel> ObjectLevel();
    void SetArrayLevel(std::shared_ptr<clsArrayLevel> level);
    void SetObjectLevel(std::shared_ptr<clsObjectLevel> level);
    void SetAdressLevel(std::shared_ptr<clsAdressLevel> level);
    // Makes the running transfer end with 32755 "Cancel was selected".
    void Cancel();
    void Connect(std::int16_t intComPort = 1, std::int16_t intComID = -1,
                 std::int16_t intComIDx = 0, std::int16_t intComIDy = 0);
    // The serial number: the part number followed by the number, padded to five digits.
    std::string SerialNr(bool Force = false);
    void DisConnect();
    bool OnLine() const { return onLine_; }
    std::int16_t ComID() const { return comID_; }
    std::int16_t ComIDx() const { return comIDx_; }
    std::int16_t ComPort() const { return comPort_; }
    std::int16_t ComIDy() const { return comIDy_; }
    std::int32_t MemSize(std::uint8_t enmMemType);
    std::uint8_t Platform();
    std::uint8_t ProcessorVersion();
    std::uint8_t Protokoll() const;
    void LetProtokoll(std::uint8_t value);
    std::uint8_t PartNr();
    void LetLeavePortOpen(bool value);

    Event<std::string> ComLogg;
    Event<std::string> Action;
    Event<std::int16_t> Progress;

  private:
    void Install() const;
    void Listen();
    void StopListening();

    std::shared_ptr<clsArrayLevel> arrayLevel_;
    std::shared_ptr<clsObjectLevel> objectLevel_;
    std::shared_ptr<kvEnums> enums_;
    std::shared_ptr<clsAdressLevel> mAdressLevel;
    std::size_t comLoggId_ = 0;
    std::size_t actionId_ = 0;
    std::size_t progressId_ = 0;
    bool onLine_ = false;
    std::int16_t comPort_ = 0;
    std::int16_t comID_ = 0;
    std::int16_t comIDx_ = 0;
    std::int16_t comIDy_ = 0;
};

}  // namespace kvcom3
