#include "facade/LibraryState.h"

#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

Connection gConnection;
bool gCancel = false;
bool gLeavePortOpen = false;
std::uint8_t gProtokoll = 0;
std::shared_ptr<clsAdressLevel> gAdressLevel;

}  // namespace kvcom3
