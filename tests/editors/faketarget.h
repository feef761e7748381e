#pragma once
// A page's target as the source windows see it: a settable selection and key, and a record of
// what the window handed over and asked to refresh.

#include <cstdint>
#include <vector>

#include "editors/common/sourcepicker.h"

namespace kvr::editors::test {

struct FakeTarget : SourceTarget {
    struct Call {
        int kind;
        PickedSource source;
        TargetSelection selection;
    };

    TargetSelection sel;
    model::TKeyRecord record{};
    KeyEdit key{&record, 100, true};
    bool hasKey = true;
    bool open = false;
    std::int64_t watched = -1;
    std::vector<Call> taken;
    std::vector<Call> refreshed;

    TargetSelection Selection(int) override { return sel; }
    KeyEdit* EditedKey() override { return hasKey ? &key : nullptr; }
    void Take(int kind, const PickedSource& source, const TargetSelection& selection) override
    {
        taken.push_back({kind, source, selection});
    }
    void Refresh(int kind, const PickedSource& source) override { refreshed.push_back({kind, source, {}}); }
    bool EditorOpen(int) override { return open; }
    std::int64_t WatchedDeviceID() override { return watched; }
};

} // namespace kvr::editors::test
