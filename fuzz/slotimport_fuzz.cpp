// A device file chosen for a slot import, whatever it holds: the rows of its 30 slots, and each
// slot's entry copied into a device as the import does, without reading past the file or
// reading back another size than was stored.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/slotimport.h"
#include "model/device.h"
#include "model/project.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string FileName = FuzzInputFile("slots", data, size);
    kvr::app::SlotImport Import;
    const std::string Error = Import.Load(FileName);
    ::unlink(FileName.c_str());
    if (!Error.empty()) {
        if (Import.IsLoaded())
            __builtin_trap(); // a failed read must leave nothing loaded
        return 0;
    }
    Import.SlotRows();

    static kvr::model::TProject Project;
    static const int Index = Project.AddDevice();
    kvr::model::TDevice* Device = Project.Device(Index);
    if (!Device)
        return 0;
    for (int Slot = 0; Slot < kvr::app::SlotImport::SlotCount; ++Slot) {
        const auto Payload = Import.FindSlotEntry(Slot).value_or(std::vector<std::uint8_t>{});
        const int Stored = Device->SetSetupData(static_cast<std::uint8_t>(Slot), Payload);
        if (Stored >= 0 && Device->GetSetupData(static_cast<std::uint8_t>(Slot)).size() != static_cast<std::size_t>(Stored))
            __builtin_trap(); // the entry reads back with another size than was stored
    }
    return 0;
}
