#include "app/slotimport.h"

#include <fstream>

#include "app/projectaccess.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/device.h"

namespace kvr::app {

namespace {

constexpr std::size_t HeaderSize = model::TDevice::HeaderSize;

} // namespace

std::string SlotImport::Load(const std::string& FileName)
{
    FData.clear();
    std::ifstream file(FileName, std::ios::binary | std::ios::ate);
    if (!file)
        return "Unable to open file!";
    const std::streamoff length = file.tellg();
    if (length <= 0)
        return "Selected file has zero-size!";
    if (length > static_cast<std::streamoff>(model::TDevice::ImageSize))
        return "Selected file is too big for a device file (" + std::to_string(length) + " bytes)!";
    std::vector<std::uint8_t> data(static_cast<std::size_t>(length));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(data.data()), length))
        return "Unable to read from file";
    FData = std::move(data);
    return {};
}

std::optional<std::vector<std::uint8_t>> SlotImport::FindSlotEntry(int Slot) const
{
    if (FData.size() < HeaderSize)
        return std::nullopt;
    const unsigned entries = FData[model::dh::SetupCount];
    std::size_t pos = HeaderSize;
    for (unsigned i = 0; i < entries && pos + 4 <= FData.size(); ++i) {
        const std::size_t length = readBE16(FData, pos + 2);
        if (pos + 4 + length > FData.size())
            break;
        if (FData[pos] == Slot)
            return std::vector<std::uint8_t>(FData.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                                             FData.begin() + static_cast<std::ptrdiff_t>(pos + 4 + length));
        pos += 4 + length;
    }
    return std::nullopt;
}

std::string SlotRowText(int Slot, const std::optional<std::vector<std::uint8_t>>& Payload)
{
    std::string row = "Slot " + std::to_string(Slot);
    if (!Payload)
        return row + " empty";
    row += " " + std::to_string(Payload->size()) + "Bytes";
    const model::CardRecordView card(*Payload);
    const int type = card.CardType();
    switch (type) {
    case 111: return row + ", Type 111, Digital I/O";
    case 122: return row + ", Type 122, Analog I/O";
    case 123: return row + ", Type 123, Analog In";
    case 222: return row + ", Type 222, Analog I/O";
    case 223: return row + ", Type 223, Analog I/O";
    case 848: return row + ", Type 848-" + std::to_string(card.PortFlags(1)) + ", DSP";
    default: return row;
    }
}

std::vector<std::string> SlotImport::SlotRows() const
{
    std::vector<std::string> rows;
    for (int slot = 0; slot < SlotCount; ++slot)
        rows.push_back(SlotRowText(slot, FindSlotEntry(slot)));
    return rows;
}

bool ImportSlots(ProjectAccess* Project, int Device, const SlotImport& Source, const std::vector<int>& Slots)
{
    if (!Project || Device < 0 || Device >= Project->DeviceCount())
        return false;
    for (int slot : Slots) {
        const std::vector<std::uint8_t> payload = Source.FindSlotEntry(slot).value_or(std::vector<std::uint8_t>{});
        Project->SetSetupData(Device, static_cast<std::uint8_t>(slot), payload);
    }
    return true;
}

} // namespace kvr::app
