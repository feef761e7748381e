#pragma once
// Records the calls of the reference adaptation made by the record accessors.

#include <string>
#include <vector>

#include "model/adaptationhooks.h"
#include "model/recordhooks.h"

namespace kvr::model::test {

class AdaptRecorder {
public:
    AdaptRecorder()
    {
        Adaptation().AdaptAudioSources = [this](TDevice&, int id, int newId) {
            calls.push_back("audio " + std::to_string(id) + " " + std::to_string(newId));
        };
        Adaptation().AdaptStereoSources = [this](TDevice&, int id) { calls.push_back("stereo " + std::to_string(id)); };
        Hooks().AdaptLogics = [this](TDevice&, int a, int b, int mode) {
            calls.push_back("logic " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(mode));
        };
    }
    ~AdaptRecorder()
    {
        Adaptation() = AdaptationHooks{};
        Hooks().AdaptLogics = nullptr;
    }
    std::vector<std::string> calls;
};

} // namespace kvr::model::test
