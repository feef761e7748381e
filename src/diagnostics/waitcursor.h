#pragma once
// The hourglass cursor for the length of a scope; nested scopes leave it to the outermost one.
// The screen cursor is reached through a hook that the program sets to its GUI cursor.

#include <memory>

enum class TKVRCursor { Default, AppStart, HourGlass, Other };

namespace kvr::diag {
class CursorHook {
public:
    virtual ~CursorHook() = default;
    virtual TKVRCursor Current() = 0;
    virtual void Set(TKVRCursor Cursor) = 0;
    // Lets the application process its pending messages, so a cursor change shows at once.
    virtual void ProcessMessages() = 0;
};
// Installs the hook; null restores the built-in one, which only remembers the cursor.
void SetCursorHook(std::shared_ptr<CursorHook> Hook);
} // namespace kvr::diag

class TWaitCursor {
public:
    explicit TWaitCursor(bool ProcessMessages = false);
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

    static int Nesting();

private:
    bool ProcessMessages;
};
