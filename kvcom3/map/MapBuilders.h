#pragma once

namespace kvcom3 {

class kvArrayNodes;
class clsAdressLevel;

// The generated maps, built into the level's root collection, which the caller keeps alive until
// they return.
void buildPlatform5Map(kvArrayNodes& root);
// Platforms 7 and 8: `full` for platform 8 and platform-7 sensors with a flash processor.
void buildMap78(kvArrayNodes& root, clsAdressLevel& adr, bool full);

}  // namespace kvcom3
