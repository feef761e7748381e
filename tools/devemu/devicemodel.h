#pragma once
// One emulated device: control blocks in, answers out (each with a delay for the program's
// timers). Holds the device image, the two configuration streams, status pages, setups, names
// and files; records what it receives; and has knobs to make answers go wrong.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commserver/deviceframe.h"

namespace kvr::devemu {

using commserver::Bytes;
using commserver::DeviceFrame;

// One control module of the device as its status broadcast lists it.
struct ModuleEntry {
    std::uint16_t number = 0; // addresses the module in block IDs; its serial number too
    std::uint8_t type = 0;
    std::uint8_t index = 0;
    bool operator==(const ModuleEntry&) const = default;
};
inline constexpr std::size_t ModulesMax = 32;

// One card in a slot of a carrier module, as cards=MODULE:SLOT:CODE:SERIAL:REV[:FA] gives it.
struct CardSpec {
    std::uint16_t module = 0;
    std::uint8_t slot = 0; // slot index 0-9
    std::uint8_t code = 0; // card type; 0 or 0xFF leaves the slot empty
    std::uint32_t serial = 0;
    std::uint8_t revision = 0;
    std::uint16_t fa = 0;
    bool operator==(const CardSpec&) const = default;
};

struct DeviceIdentity {
    std::uint32_t serial = 0x012345;
    std::uint32_t firmware = 0x05140000;
    std::uint32_t projectId = 0x54455354; // "TEST"
    std::uint32_t deviceId = 1;
    std::string name = "EMU";
    std::uint32_t configStamp = 0;
    std::string hardwareName = "DSP-EMU";
    unsigned statusPages = 4; // pages a module without stored pages reports
};

// Ways to make answers go wrong. A count of 0 leaves the fault off.
struct FaultKnobs {
    int delayMs = 0;            // every answer this much later
    unsigned dropEvery = 0;     // every n-th answer is not sent
    unsigned duplicateEvery = 0; // every n-th answer is sent twice
    unsigned lateEvery = 0;     // every n-th answer comes lateMs later
    int lateMs = 0;
    bool corruptCrc = false;    // file transfers report a wrong CRC-32
    unsigned wrongIdEvery = 0;  // every n-th answer carries another block's ID (bit 0 flipped)
    unsigned wrongLengthEvery = 0; // every n-th answer is one byte longer (or shorter when full)
    unsigned flipDataEvery = 0; // every n-th answer has its data bytes inverted
    // The serial and version request goes unanswered, as older firmware does; the module
    // request (0x0600) then tells the version.
    bool olderFirmware = false;
    bool flashBurn = false;     // a written file is reported as burning first, then done
    unsigned cutAfter = 0;      // the link is cut after this many received blocks
    std::vector<std::uint16_t> silentModules; // modules that answer no module information
    std::vector<std::uint16_t> burnFailModules;   // modules that report a failed flash burn (0x0300)
    std::vector<std::uint16_t> burnSilentModules; // modules that report nothing after the burn
    std::uint16_t burnStranger = 0;               // a module not in the list that reports a burn too
    int burnDelayMs = 300;                         // the reports come this much after the burn
};

struct Answer {
    DeviceFrame frame;
    int delayMs = 0;
};

class DeviceModel {
public:
    static constexpr std::size_t ImageMax = 64000;
    static constexpr std::size_t ImageHeaderSize = 200;

    explicit DeviceModel(DeviceIdentity identity, Bytes image = {});

    // A fresh image: the 200-byte header with its magic, length, project ID, name and device ID.
    static Bytes defaultImage(const DeviceIdentity& identity);
    // A fresh first configuration stream: its size word, and the information pages (blocks 1-4)
    // with device ID, name and project ID that identify a device of newer firmware.
    static Bytes defaultConfigStream(const DeviceIdentity& identity);

    std::vector<Answer> handle(const DeviceFrame& in);
    // True once the knob's count of received blocks is reached: the program cuts the link. Once:
    // a link made again afterwards stays.
    bool shouldCut()
    {
        if (knobs_.cutAfter == 0 || received_.size() < knobs_.cutAfter)
            return false;
        knobs_.cutAfter = 0;
        return true;
    }

    // The change time of the configuration the device runs.
    std::uint32_t configStamp() const;
    // The older-generation status datagram as it goes on the wire.
    Bytes statusDatagram() const;
    // The newer-generation device record (type 0xFE062005 and the record in the block format).
    Bytes deviceRecordDatagram() const;
    // An error report block of the device (class 0x0F10).
    DeviceFrame errorReport(std::uint16_t module, std::uint32_t code, std::uint32_t param) const;
    // A global logic state datagram (0x20081996) as it goes on the wire.
    Bytes globalLogicDatagram(std::uint16_t number, bool state) const;
    // The logic states the device reports: a state request (0x110E0000, the ID big-endian) is
    // answered by a class-0x110E block of the ID and its state (0 for a state never set).
    DeviceFrame logicStateBlock(std::uint16_t id) const;
    // Sets a state and gives the block that reports it.
    DeviceFrame setLogicState(std::uint16_t id, std::uint8_t state);

    // The modules the status broadcast lists (at most 32 are sent); none: one made-up
    // controller entry.
    void setModules(std::vector<ModuleEntry> modules) { modules_ = std::move(modules); }
    const std::vector<ModuleEntry>& modules() const { return modules_; }
    // The firmware records received (class 0x1960), in order; the burn command ends a file.
    const std::vector<DeviceFrame>& firmwareRecords() const { return firmware_; }
    // The status page a listed module reports: firmware, kind, dates, temperature, counters, the
    // Ethernet overflow where its firmware puts it, two tasks and the end mark.
    Bytes moduleStatusPage(const ModuleEntry& module) const;
    // The 128-byte information page of a card slot (index 0-9) of a carrier module (type 4):
    // slot index 0 holds a KX730-122 with corrections and free text, the others are empty.
    Bytes cardInfoPage(std::uint16_t module, std::uint8_t slot);
    // Puts a card into a slot: type, revision, FA and serial number, with the default card's
    // correction values and free text (none for type 0 or 0xFF).
    void setCard(const CardSpec& card);
    void setKnobs(const FaultKnobs& knobs) { knobs_ = knobs; }
    const FaultKnobs& knobs() const { return knobs_; }
    const DeviceIdentity& identity() const { return identity_; }
    const Bytes& image() const { return image_; }
    const std::vector<DeviceFrame>& received() const { return received_; }
    // Datagrams sent to the device (global logic states, network settings), as they came.
    void receiveDatagram(Bytes datagram);
    const std::deque<Bytes>& receivedDatagrams() const { return datagrams_; }
    void setConfigStream(bool alternate, Bytes stream) { streams_[alternate ? 1 : 0] = std::move(stream); }
    const Bytes& configStream(bool alternate) const { return streams_[alternate ? 1 : 0]; }
    void setStatusPages(std::uint16_t module, std::vector<Bytes> pages) { statusPages_[module] = std::move(pages); }
    void setFile(const std::string& name, Bytes content) { files_[name] = std::move(content); }
    std::optional<Bytes> file(const std::string& name) const;
    void setSetupName(std::uint32_t cls, std::uint8_t number, const std::string& name);
    std::string setupName(std::uint32_t cls, std::uint8_t number) const;
    void setFaderName(std::uint16_t channel, const std::string& name);
    std::string faderName(std::uint16_t channel) const;
    void setSetup(std::uint8_t type, std::uint8_t number, Bytes data) { setups_[{type, number}] = std::move(data); }
    std::optional<Bytes> setup(std::uint8_t type, std::uint8_t number) const;

private:
    void answer(std::vector<Answer>& out, std::uint32_t id, const Bytes& data);
    std::vector<Answer> applyKnobs(std::vector<Answer> answers);
    void readImage(std::vector<Answer>& out, const DeviceFrame& in, std::uint32_t n);
    void writeImage(std::vector<Answer>& out, const DeviceFrame& in, std::uint32_t n);
    void configStreamRead(std::vector<Answer>& out, const DeviceFrame& in);
    void configStreamWrite(std::vector<Answer>& out, const DeviceFrame& in);
    void statusPages(std::vector<Answer>& out, std::uint16_t module);
    void moduleInfo(std::vector<Answer>& out, std::uint16_t module);
    void burnReports(std::vector<Answer>& out);
    void cardPage(std::vector<Answer>& out, const DeviceFrame& in, std::uint16_t module, bool write);
    const ModuleEntry* listedModule(std::uint16_t module) const;
    void setupNames(std::vector<Answer>& out, const DeviceFrame& in);
    void faderNames(std::vector<Answer>& out, const DeviceFrame& in);
    void setupChunk(std::vector<Answer>& out, const DeviceFrame& in);
    void setupHeader(std::vector<Answer>& out, const DeviceFrame& in);
    void fileHeader(std::vector<Answer>& out, const DeviceFrame& in);
    void fileData(const DeviceFrame& in);
    void fileEnd(std::vector<Answer>& out, const DeviceFrame& in);

    struct Transfer {
        char mode = 0;
        std::string name;
        std::uint32_t size = 0;
        Bytes data;
    };

    DeviceIdentity identity_;
    std::vector<ModuleEntry> modules_;
    FaultKnobs knobs_;
    Bytes image_;
    // An image write in progress: the device takes it only with its last block (block 1, as the
    // blocks come from the last to the first), so a write cut short leaves the old image.
    Bytes stagedImage_;
    bool writing_ = false;
    Bytes streams_[2];
    Bytes pendingStreams_[2];
    std::map<std::uint16_t, std::vector<Bytes>> statusPages_;
    std::map<std::pair<std::uint16_t, std::uint8_t>, Bytes> cardPages_;
    std::vector<DeviceFrame> firmware_;
    static constexpr std::size_t LogicStatesMax = 16384;
    std::map<std::uint16_t, std::uint8_t> logicStates_;
    std::map<std::pair<std::uint32_t, std::uint8_t>, std::string> setupNames_;
    std::map<std::uint16_t, std::string> faderNames_;
    std::map<std::pair<std::uint8_t, std::uint8_t>, Bytes> setups_;
    Bytes setupBuffer_;
    std::map<std::string, Bytes> files_;
    std::map<std::uint8_t, Transfer> transfers_;
    std::uint8_t nextHandle_ = 1;
    std::vector<DeviceFrame> received_;
    std::deque<Bytes> datagrams_;
    unsigned answersSent_ = 0;
};

// "NUMBER:TYPE:INDEX/..." (numbers decimal or 0x...), at most 32 modules; false on bad text.
bool parseModuleList(const std::string& text, std::vector<ModuleEntry>& modules);

// "MODULE:SLOT:CODE:SERIAL:REV[:FA]" (numbers decimal or 0x..., slot index 0-9); false on bad text.
bool parseCardSpec(const std::string& text, CardSpec& card);

// A status page image cut into the 8-byte pages the device sends (the last one padded with
// zeros), at most 255 of them; none for an empty image.
std::vector<Bytes> statusPagesFromImage(const Bytes& image);

// The last count blocks and datagrams the device received, oldest first, as the "last" command
// prints them: "block 0xID LEN HEX" and "datagram HEX" ("-" for no bytes).
std::vector<std::string> lastReceived(const DeviceModel& model, std::size_t count);

} // namespace kvr::devemu
