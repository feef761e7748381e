#pragma once
// Typed accessors of the small device records: potentiometer assignment, rotary monitor
// selector source lists, console names, fader-channel labels, and the card record of a slot.

#include "kvrdata/deviceaddr.h"
#include "model/cardrecords.h"

#include <string>

namespace kvr::model {

class TDevice;

void SetPotiAssign(TDevice& device, int pot, int slot, int input);
int GetPotiAssign(TDevice& device, int pot, int& slot, int& input);

// A list of 0 or more sets the selector's list; a negative list removes it.
void SetRotSelSourceList(TDevice& device, int selector, int list);
int GetRotSelSourceList(TDevice& device, int selector);

// 1 and the stored name, or 0 and "Console %d"; 0 and out unchanged outside consoles 0-5.
int GetConsoleName(TDevice& device, int console, std::string& out);
void SetConsoleName(TDevice& device, int console, std::span<const std::uint8_t, 16> name);

int GetFaderChannelLabel(TDevice& device, int number, TFaderChannelLabel& out);
// With record.Number 0: the number of records removed; else 1 after putting the record first.
int SetFaderChannelLabel(TDevice& device, int number, const TFaderChannelLabel& record);

// The card record of a slot (area-A ID 0-29); false when the slot is empty.
bool GetCardRecord(TDevice& device, int slot, TCardRecord& out);
// Card type of a slot, 0 when empty.
int GetCardType(TDevice& device, int slot);

// The device's address (FAddr) refreshed from the image: the IP address of the network settings
// (0 with DHCP), project ID, device ID, address by project and device ID, the name. A dummy
// device's address is handed out as it is.
Kvrdata_ns::TDeviceAddr GetDeviceAddr(TDevice& device);

// The main window's Check Cards: no effect.
void CheckCards(TDevice& device);

} // namespace kvr::model
