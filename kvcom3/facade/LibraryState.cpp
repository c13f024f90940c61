#include "facade/LibraryState.h"

namespace kvcom3 {

Connection gConnection;
bool gCancel = false;
bool gLeavePortOpen = false;
std::uint8_t gProtokoll = 0;

}  // namespace kvcom3
