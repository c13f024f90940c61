#include "facade/LibraryState.h"

#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/clsArrayLevel.h"

namespace kvcom3 {

Connection gConnection;
bool gCancel = false;
bool gLeavePortOpen = false;
std::uint8_t gProtokoll = 0;
std::shared_ptr<clsAdressLevel> gAdressLevel;
std::shared_ptr<clsArrayLevel> gArrayLevel;

}  // namespace kvcom3
