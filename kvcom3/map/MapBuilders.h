#pragma once

namespace kvcom3 {

class clsArrayLevel;
class clsAdressLevel;

// The generated maps, built into the level's root collection (obtained through Nodes).
void buildPlatform5Map(clsArrayLevel& level);
// Platforms 7 and 8: `full` for platform 8 and platform-7 sensors with a flash processor.
void buildMap78(clsArrayLevel& level, clsAdressLevel& adr, bool full);

}  // namespace kvcom3
