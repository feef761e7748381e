#pragma once
// The program's own module clipboard: one module with its key records and options (a fader
// module with its fader overbridge), kept across pages, devices and projects for the whole run.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::console {

struct ClipboardRefusal {
    std::string Text;
    bool ErrorDialog = false; // an error dialog with OK, else a plain message box
};

class ModuleClipboard {
public:
    // Asked (Yes/No) before an earlier cut that was never pasted is thrown away, and before a
    // paste replaces a placed module; false keeps what is there.
    using ConfirmDiscard = std::function<bool(const std::string& question)>;

    bool HoldsModule() const { return Module.has_value() && !Module->empty(); }
    const std::optional<std::vector<std::uint8_t>>& Held() const { return Module; }
    const std::optional<std::vector<std::uint8_t>>& HeldOverbridge() const { return LinkedOverbridge; }
    bool IsCutPending() const { return CutPending; }

    // Takes the slot's module out of the console (with the fader overbridge above a fader module).
    std::optional<ClipboardRefusal> Cut(model::TDevice& device, int console, int position, const ConfirmDiscard& confirm);
    std::optional<ClipboardRefusal> Copy(model::TDevice& device, int console, int position, const ConfirmDiscard& confirm);
    // Places the held module into the empty slot; the clipboard keeps it for further pastes. A
    // fader module's overbridge replaces a module in the slot above only when confirm says yes
    // to the question that names that slot; no confirm counts as no.
    std::optional<ClipboardRefusal> Paste(model::TDevice& device, int console, int position,
                                          const ConfirmDiscard& confirm = {});

    // The device a pending cut came from is gone (project closed, device removed): a discarded cut
    // then has nothing left to release.
    void ForgetDevice(const model::TDevice* device);

private:
    std::optional<ClipboardRefusal> DiscardEarlierCut(const ConfirmDiscard& confirm);
    void Take(model::TDevice& device, int console, int position, bool cut);

    std::optional<std::vector<std::uint8_t>> Module;
    std::optional<std::vector<std::uint8_t>> LinkedOverbridge;
    // Set at program start as the clipboard always began; meaningless while nothing is held.
    bool CutPending = true;
    model::TDevice* CutDevice = nullptr;
};

} // namespace kvr::console
