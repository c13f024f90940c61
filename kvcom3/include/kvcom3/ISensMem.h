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
// reads or writes. Members that reach the sensor raise the address level's transfer errors
// (see clsAdressLevel) with number and description unchanged. The protocol, the cancel flag and
// the leave-port-open choice are shared by every ISensMem of the process; each member that
// reaches the sensor first makes this object's connection the library's current one.
class ISensMem {
  public:
    // Off line, port and addresses 0; creating one puts the library off line until an object's
    // next call that reaches the sensor.
    ISensMem();
    ~ISensMem();
    ISensMem(const ISensMem&) = delete;
    ISensMem& operator=(const ISensMem&) = delete;

    // The memory map, created on first use (generated on its own first use); also creates the
    // address level and makes both current. No errors.
    std::shared_ptr<clsArrayLevel> ArrayLevel();
    // The address level, created on first use and made current. No errors.
    std::shared_ptr<clsAdressLevel> AdressLevel();
    // The enumeration collection shared by the object trees; it survives Connect and ClearAll.
    std::shared_ptr<kvEnums> Enums();
    // Releases the address level and the levels built on it; the next access builds them anew.
    void ClearAll();
    // Closes serial port `PortNr` if it is open, letting pending events run first; 9 for a port
    // outside 0-23.
    void ClosePort(std::int16_t PortNr = 1);
    // The object tree, created with the levels under it on first use (built on its own first
    // use, which generates the memory map); makes them current. No errors.
    std::shared_ptr<clsObjectLevel> ObjectLevel();
    // Replace a level; a replaced address level's events arrive from the new object. No errors.
    void SetArrayLevel(std::shared_ptr<clsArrayLevel> level);
    void SetObjectLevel(std::shared_ptr<clsObjectLevel> level);
    void SetAdressLevel(std::shared_ptr<clsAdressLevel> level);
    // Makes the running transfer (or, with none running, the next one) end with 32755 "Cancel
    // was selected". Safe to call from an event handler or the event pump during a transfer.
    void Cancel();
    // Logs "Connect port=<intComPort> ID=<intComID>" on ComLogg, releases the levels (a new
    // sensor never sees the old image), stores the port (0-23), the sensor address (-1: any
    // sensor; Modbus slave 254) and position intComIDx on production board intComIDy (both 0:
    // no board), and goes on line. Sends nothing, so a bad port or address shows at the first
    // transfer.
    void Connect(std::int16_t intComPort = 1, std::int16_t intComID = -1,
                 std::int16_t intComIDx = 0, std::int16_t intComIDy = 0);
    // The serial number: the part number followed by the number, padded to five digits
    // ("400123"); a number of six or more digits follows the part number unpadded. Empty on a
    // platform without one. Reads the sensor when the image lacks the number or when forced:
    // 1205 and the transfer errors.
    std::string SerialNr(bool Force = false);
    // Off line; the levels, their images and the stored port and addresses stay.
    void DisConnect();
    // What Connect stored and whether the object is on line.
    bool OnLine() const { return onLine_; }
    std::int16_t ComID() const { return comID_; }
    std::int16_t ComIDx() const { return comIDx_; }
    std::int16_t ComPort() const { return comPort_; }
    std::int16_t ComIDy() const { return comIDy_; }
    // The address level's MemSize of an enmMemTypes value, not forced: 1203 for a type other
    // than RAM and EEPROM, 1205, 1207 and the transfer errors.
    std::int32_t MemSize(std::uint8_t enmMemType);
    // The address level's Platform and ProcessorVersion, with their errors (1205, 1207, transfer).
    std::uint8_t Platform();
    std::uint8_t ProcessorVersion();
    // The library's kvProtokoll; the value is not checked, and it takes effect at the next
    // transfer and the next build of a map or tree.
    std::uint8_t Protokoll() const;
    void LetProtokoll(std::uint8_t value);
    // The part byte (RAM 65), read from the sensor when the image lacks it; transfer errors.
    std::uint8_t PartNr();
    // True keeps the port open between transfers until ClosePort; false closes it after each.
    void LetLeavePortOpen(bool value);

    // The address level's events, passed on unchanged: a line of communication log, the action
    // under way ("" when done), progress 0-100; ComLogg also carries Connect's line.
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
