#include "diagnostics/waitcursor.h"

namespace {

class RememberedCursor : public kvr::diag::CursorHook {
public:
    TKVRCursor Current() override { return Cursor; }
    void Set(TKVRCursor C) override { Cursor = C; }
    void ProcessMessages() override {}

private:
    TKVRCursor Cursor = TKVRCursor::Default;
};

std::shared_ptr<kvr::diag::CursorHook>& Hook()
{
    static std::shared_ptr<kvr::diag::CursorHook> hook = std::make_shared<RememberedCursor>();
    return hook;
}

// Used on the GUI thread only, like the cursor itself.
int WaitNesting = 0;

} // namespace

void kvr::diag::SetCursorHook(std::shared_ptr<CursorHook> NewHook)
{
    Hook() = NewHook ? std::move(NewHook) : std::make_shared<RememberedCursor>();
}

TWaitCursor::TWaitCursor(bool ProcessMessages)
    : ProcessMessages(ProcessMessages)
{
    ++WaitNesting;
    auto& hook = *Hook();
    const TKVRCursor current = hook.Current();
    if (current == TKVRCursor::Default || current == TKVRCursor::AppStart) {
        hook.Set(TKVRCursor::HourGlass);
        if (ProcessMessages)
            hook.ProcessMessages();
    }
}

TWaitCursor::~TWaitCursor()
{
    auto& hook = *Hook();
    if (WaitNesting-- == 1 && hook.Current() == TKVRCursor::HourGlass) {
        hook.Set(TKVRCursor::Default);
        if (ProcessMessages)
            hook.ProcessMessages();
    }
}

int TWaitCursor::Nesting()
{
    return WaitNesting;
}
