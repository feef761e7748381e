#pragma once
// The "Synchronisation" tab without its widgets: the frame's two prioritised sync sources, the
// sample rate and three switches, all in the device header.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::editors {

inline constexpr std::uint16_t kSyncIntern = 0x0900;
inline constexpr std::uint16_t kSyncBNC = 0x0901;

struct SyncItem {
    std::string Text;
    std::uint16_t Code = 0;
};

// What the tab shows.
struct SyncView {
    std::vector<SyncItem> Items;
    bool Enabled = false;      // the whole group: a card sits in the tenth slot
    int Source1 = 0;           // item shown by each combo
    int Source2 = 0;
    bool Rate44k1 = false;     // "44.1 kHz", else "48 kHz"
    bool DisableVCXO = false;
    bool VariSpeed = false;
    bool BNCOut = false;       // "Slot 10 BNC as Output"
    bool BNCOutEnabled = false;
};

class Synchronisation {
public:
    static constexpr std::uint8_t k44k1 = 0x80;
    static constexpr std::uint8_t kBNCOut = 0x40;
    static constexpr std::uint8_t kVCXO = 0x20;
    static constexpr std::uint8_t kVariSpeed = 0x10;

    explicit Synchronisation(model::TDevice& Dev) : FDev(Dev) {}

    std::vector<SyncItem> Items();
    // Fills the tab; clears a "BNC as Output" that BNC as sync source or a missing BNC rules out.
    SyncView Show();
    // Source 1 or 2 takes the item; Other is the item the other combo shows. Gives the BNC-out
    // box's state afterwards in the view's BNC fields.
    SyncView Choose(int Source, int Item, int Other);
    void SetRate44k1(bool On) { SetOption(k44k1, On); }
    void SetOption(std::uint8_t Bit, bool On);

private:
    model::TDevice& FDev;
};

} // namespace kvr::editors
