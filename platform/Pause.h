#pragma once

/// Gives up the processor for at least the given number of milliseconds.
void pauseMilliseconds(int milliseconds);
