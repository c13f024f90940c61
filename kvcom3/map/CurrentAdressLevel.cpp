#include "map/CurrentAdressLevel.h"

#include "facade/LibraryState.h"
#include "facade/clsErrors.h"

namespace kvcom3 {

clsAdressLevel& currentAdressLevel() {
    if (!gAdressLevel) clsErrors().Raise(errNoConnection);
    return *gAdressLevel;
}

}  // namespace kvcom3
