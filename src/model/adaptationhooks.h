#pragma once
// Call points of the audio reference adaptation (the logic one is in recordhooks.h): deletes and
// stereo changes of positional sources call these right after changing their list. Until the
// adaptation is in place the hooks are empty; tests install recorders.

#include <functional>

#include "model/adaptation.h"

namespace kvr::model {

class TDevice;

struct AdaptationHooks {
    // References to audio source id become newId (0: cleared), later sources of the list follow.
    std::function<void(TDevice&, int id, int newId)> AdaptAudioSources;
    // The pair starting at the even id changed between stereo and two mono sources.
    std::function<void(TDevice&, int id)> AdaptStereoSources;
};

AdaptationHooks& Adaptation();

inline void CallAdaptAudioSources(TDevice& dev, int id, int newId)
{
    if (Adaptation().AdaptAudioSources)
        Adaptation().AdaptAudioSources(dev, id, newId);
    else
        AdaptAudioSources(dev, id, newId);
}
inline void CallAdaptStereoSources(TDevice& dev, int id)
{
    if (Adaptation().AdaptStereoSources)
        Adaptation().AdaptStereoSources(dev, id);
    else
        AdaptStereoSources(dev, id);
}

} // namespace kvr::model
