#pragma once
// The device page's three logic sources: the preparation-mode source of the "Operation mode" tab
// and the two PIN-input sources of the "Authorisation" tab. The logic-source window picks them and
// writes them into the current device (its target kinds 22, 17 and 18); the page opens the window
// for one of them, hands it the drops from its tree and shows the source once it is written.

#include <cstdint>
#include <functional>

#include "editors/common/sourcepicker.h"

namespace kvr::app {

enum class PageSource { PINInput1, PINInput2, PreparationMode };

// Target kind of the logic-source window that writes the source.
int TargetKindOf(PageSource Source);

class PageSources final : public editors::SourceTarget {
public:
    // The window is looked up at each use (it may come later than the page, or not at all).
    using WindowLookup = std::function<editors::LogicSourcePicker*()>;
    // The window wrote the source: the page shows its name again.
    using ShowSource = std::function<void(PageSource)>;

    PageSources(WindowLookup Window, ShowSource Show) : FWindow(std::move(Window)), FShow(std::move(Show)) {}

    // "Select ...": the current device's logic sources, Current preselected, the window shown and
    // set to write this source.
    void Select(PageSource Which, std::uint16_t Current);
    // A drop from the window's tree: the window assigns its selected node to this source.
    void Drop(PageSource Which);
    // The page goes away: the window forgets it.
    void Release();

    void Refresh(int Kind, const editors::PickedSource& Source) override;

private:
    // The window with this page registered for the three kinds; null without a window.
    editors::LogicSourcePicker* Window();
    WindowLookup FWindow;
    ShowSource FShow;
};

} // namespace kvr::app
