#pragma once
// The screen cursor of the wait cursors, held as the application's override cursor: one value,
// as the program has always treated the screen cursor.

#include "diagnostics/waitcursor.h"

namespace kvr::platform {

class QtCursorHook : public kvr::diag::CursorHook {
public:
    TKVRCursor Current() override;
    void Set(TKVRCursor Cursor) override;
    void ProcessMessages() override;
};

} // namespace kvr::platform
