#pragma once
// Start-up measurement: with VQ_FIRST_PAINT_PROBE=1 in the environment, the
// program prints "first-paint-ns <CLOCK_MONOTONIC nanoseconds>" on standard
// output as soon as its first window has been painted and flushed, and ends
// at once. Without the variable this does nothing.
void InstallFirstPaintProbe();
