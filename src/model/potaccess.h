#pragma once
// Pot names, selector source lists, network settings and global logic assignments of a device,
// and the project's global pot and global logic names.

#include "model/potnames.h"

#include <string>

namespace kvr::model {

class TDevice;
class TProject;

// Pot IDs 1-124; an empty name also removes the pot's own assignment.
void SetPotName(TDevice& device, int potID, std::span<const std::uint8_t, kPotNameWidth> name);
// 1 and the stored name (or the clean feed's label for IDs 125-154), 0 and the default; ID 0
// and missing clean feeds leave out unchanged.
int GetPotName(TDevice& device, int potID, std::string& out);
// The first module of the 108 slots with pots whose pot block (byte 4) is block.
int FindPotModule(TDevice& device, int block, std::vector<std::uint8_t>& entry);

int GetSourceList(TDevice& device, int list, TSourceList& out);
void SetSourceList(TDevice& device, int list, const TSourceList& record);

void GetNetworkSettings(TDevice& device, TNetworkSettings& out);
// The caller's flags are adjusted to what is stored.
void SetNetworkSettings(TDevice& device, TNetworkSettings& settings);

std::uint16_t GetGLSource(TDevice& device, int logic);
void SetGLSource(TDevice& device, int logic, std::uint16_t source);

int GetGlobalPotName(TProject& project, int pot, std::string& out);
void SetGlobalPotName(TProject& project, int pot, std::string_view name);
std::string GetGlobalLogicName(TProject& project, int logic);
void SetGlobalLogicName(TProject& project, int logic, std::string_view name);

} // namespace kvr::model
