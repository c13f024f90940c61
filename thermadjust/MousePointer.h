#pragma once

// The mouse pointer shapes the windows use while they work: 0 normal, 11 hourglass, 13 arrow
// with hourglass.
void setMousePointer(int shape);
