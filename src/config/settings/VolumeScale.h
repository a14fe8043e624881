#pragma once

namespace dravel::config {

// The mixer's volume scale 0..65535 shown as a percentage 0..100. The alarm
// program and its settings files were made with 80-bit extended arithmetic
// (655.35 held as the nearest extended value, results rounded half to even);
// both directions reproduce those results exactly on every platform.

// The stored value for a slider position; positions outside 0..100 are pulled
// to the nearer bound. 10 -> 6554, 50 -> 32767, 100 -> 65535.
int percentToStored(int percent);

// The percentage shown for a stored value (any integer, also a hand-edited
// one outside 0..65535). 65535 -> 100, 32767 -> 50, 0 -> 0.
int storedToPercent(int stored);

}  // namespace dravel::config
