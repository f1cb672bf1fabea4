#pragma once

/// Timing of scene switches, for measuring on the machine at hand. When the environment
/// variable VELTRAVA_TIMING is set (to anything), each menu choice of a scene writes one line
/// to standard error once the new scene's first frame has been drawn:
///   "scene N: load L ms, first update U ms, first frame drawn D ms after the choice"
/// Otherwise every call does nothing.
bool sceneSwitchTimingEnabled();

/// The menu chose scene `scene`; called before the load starts.
void markSceneChosen(int scene);
/// The load has returned.
void markSceneLoaded();
/// An idle pass has updated the scene.
void markSceneUpdated();
/// A frame has been drawn and swapped; ends the switch's timing and writes its line.
void markFrameDrawn();
