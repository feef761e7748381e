#pragma once
// The "Input Pools" and "Potentiometer" tabs without their widgets: the names of the 15 input
// pools; the labels of the module and balance pots and the external pots tied to GPI inputs.

#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::editors {

inline constexpr const char* kCannotAddPoolsText = "Cannot add more pools!";

struct PoolLine {
    int Pool = 0;
    std::string Name;
};

class InputPools {
public:
    static constexpr int kPools = 15;

    explicit InputPools(model::TDevice& Dev) : FDev(Dev) {}

    // The existing pools in pool order.
    std::vector<PoolLine> Lines();
    // Names the lowest free pool "Pool <n>"; gives the refusal to show, empty when added.
    std::string Add();
    // An empty name removes the pool and takes its channels out of it.
    void Rename(int Pool, std::string_view Name);
    void Remove(int Pool) { Rename(Pool, {}); }

private:
    model::TDevice& FDev;
};

// An entry of the external-pot list: a GPI input of a card; entry 0 is "None".
struct ExternalPot {
    std::string Text;
    int Slot = 0;
    int GPI = 0; // the card's GPIO entry, 0-based
};

struct PotRow {
    int Pot = 0;            // 1-120, 121, 123
    std::string Module;     // model number, "None"; empty for the balance rows
    std::string ModuleID;   // block + 1, "None"
    std::string Label;
    std::string External;   // free pots only
    int State = -1;         // block of the providing module, 0 for balance, -1 free
};

class Potentiometers {
public:
    static constexpr int kCardWithPots = 122;

    explicit Potentiometers(model::TDevice& Dev) : FDev(Dev) {}

    // "None" and the two analogue control inputs (the third and seventh GPIO entries) of every
    // card of type 122 in slots 0-29; one log line per card input in Log.
    std::vector<ExternalPot> ExternalPots(std::vector<std::string>* Log = nullptr);
    std::vector<PotRow> Rows(const std::vector<ExternalPot>& Pots);
    // The entry matching the pot's assignment, 0 when it has none or none matches.
    int ExternalIndex(int Pot, const std::vector<ExternalPot>& Pots);
    // Stored name or the default.
    std::string Name(int Pot);
    void SetName(int Pot, std::string_view Name);
    // Entry 0 removes the assignment.
    void SetExternal(int Pot, const ExternalPot& Entry);

private:
    // -1 when none matches.
    int Match(int Pot, const std::vector<ExternalPot>& Pots);

    model::TDevice& FDev;
};

} // namespace kvr::editors
