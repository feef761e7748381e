#pragma once
// The adaptation of logic and audio source references: after a positional source was deleted,
// inserted, moved or swapped, every reference in the device image follows it. Every record that
// exists is visited, whatever the counts in the header or the last fitting say, and each
// structure is written back once when a reference in it changed. A dummy device is left alone.

#include <cstdint>

namespace kvr::model {

class TDevice;

// TDevice::AdaptLogics. a and b are bare logic-source IDs (b may be 0); mode is a TAdaptMode.
// The record accessors reach it through AdaptLogics of recordhooks.h.
void AdaptLogicReferences(TDevice& dev, int a, int b, int mode);

// TDevice::AdaptAudioSources: b = 0 clears the references to a (and moves the later sources
// of a positional list down); otherwise a and b are swapped.
void AdaptAudioSources(TDevice& dev, int a, int b);

// TDevice::AdaptStereoSources: a names either channel of a pair and carries the pair's new
// arStereo setting.
void AdaptStereoSources(TDevice& dev, int a);

// Points the call points of the record accessors at the adaptation above.
void InstallAdaptation();

} // namespace kvr::model
