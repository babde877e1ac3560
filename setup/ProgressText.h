// The arithmetic and texts of the Progress page's two status lines.
#pragma once
#include <windows.h>
#include <string>

// Whole seconds since `startTick`; unsigned subtraction survives the 49.7-day wrap of the tick count.
unsigned ElapsedSeconds(DWORD nowTick, DWORD startTick);
// Estimated seconds left: 120 until there is something to extrapolate from.
unsigned RemainingSeconds(int percent, unsigned elapsedSeconds);

std::wstring PercentLine(int percent);
std::wstring TimeLine(unsigned elapsedSeconds, unsigned remainingSeconds);
