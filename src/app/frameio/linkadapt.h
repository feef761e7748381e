#pragma once
// Making a link's target card follow its source card: the MADI group walk, joining a mono pair
// into a stereo entry and splitting it back, and AdaptLink itself. Everything works on record
// buffers bounded by their channel lists, so a damaged record or a link read from a file that
// names a missing device or slot never reads past its data.

#include <array>
#include <cstdint>
#include <vector>

#include "model/devicelinks.h"

namespace kvr::model {
class TProject;
}

namespace kvr::app::frameio {

// Ends of a MADI card's four groups (port 1 inputs, port 1 outputs, port 2 inputs, port 2
// outputs), cumulative: the last one is the number of entries walked.
using MadiGroupEnds = std::array<int, 4>;
MadiGroupEnds WalkMadiGroups(const std::vector<std::uint8_t>& Record);

// In-place record operations on an I/O or DSP card record. Join merges entry i's mono pair
// (i may name either channel) into one stereo entry and answers the merged entry's index, -1
// when nothing changed. Split turns a stereo entry into a mono pair; on a 111 card a mono entry
// gives its option byte to its partner. Both stay inside the channel list.
int JoinStereoEntry(std::vector<std::uint8_t>& Record, int Index);
bool SplitStereoEntry(std::vector<std::uint8_t>& Record, int Index);

// Where AdaptLink reports the stereo users it adapts (a progress window in the program).
struct LinkProgress {
    virtual ~LinkProgress() = default;
    virtual void Start(int Maximum) = 0;
    virtual void Step() = 0;
    virtual void Finish() = 0;
};

// Makes the link's target card follow the source card. W is the changed source channel's word
// (unused on MADI links); F adapts the stereo users of changed channels. False, after an error
// box, when a card record is missing, and false when the target record could not be stored.
bool AdaptLink(model::TProject& Project, model::TDeviceLink& Link, int W, bool F, LinkProgress* Progress = nullptr);

} // namespace kvr::app::frameio
