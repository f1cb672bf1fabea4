#pragma once

// The one process-wide pseudo-random generator. Values run from 0 to `randomMax` inclusive
// and the sequence after a given seed is the same on every platform (the C library's rand
// differs in range and sequence between platforms). Scene builders and the planner share it,
// so the order of draws matters.
constexpr int randomMax = 32767;

/// Sets the generator's state; the state before any seeding is 1.
void randomSeed(unsigned int seed);

/// The generator's state, which randomSeed() puts back: for work that must not disturb
/// the sequence the scenes and the planner draw from.
unsigned int randomCurrentState();
/// Next value in 0..randomMax.
int randomNext();
