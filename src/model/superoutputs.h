#pragma once
// Group logic (structure 30), user groups (31) and super output functions (33).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/recordsupport.h"
#include "model/sourceids.h"

namespace kvr::model {

class TDevice;

inline constexpr std::uint16_t kSOFSourceBase = 17664;
inline constexpr int kSOFInputs = 16;
inline constexpr int kSOFMaxSources = 5;

// Group logic: four groups of [program bus number + 1][fader channel number].
std::array<std::uint8_t, 8> GetGroupLogic(const TDevice& dev);
void SetGroupLogic(TDevice& dev, const std::array<std::uint8_t, 8>& groups);
void FixGroupLogic(TDevice& dev);

struct TUserGroup {
    std::array<char, 16> Label{};
    std::uint16_t PIN = 0;
    std::uint8_t Autolock = 0;
    std::uint8_t Display = 0;
};

struct TUserGroups {
    TLogicRef PinLogic1 = 0;
    TLogicRef PinLogic2 = 0;
    std::uint8_t Options = 0; // bit 7 log-in with the chip card
    std::uint8_t RecordSize = 20;
    std::array<TUserGroup, 8> Groups{};
};

int GetUserGroups(const TDevice& dev, TUserGroups& out);
void SetUserGroups(TDevice& dev, const TUserGroups& groups);
void FixUserGroups(TDevice& dev);
// Unpacks a stored structure with its own record size; records beyond the payload read as zeros.
TUserGroups DecodeUserGroups(std::span<const std::uint8_t> payload);
std::vector<std::uint8_t> EncodeUserGroups(const TUserGroups& groups);

struct TSOFSource {
    TAudioRef Audio = 0;
    std::array<std::uint8_t, 2> Options{};
    TLogicRef Logic = 0;
};

struct TSOFInput {
    std::uint8_t Count = 0; // at most 5
    std::uint8_t Option = 0;
    std::array<TSOFSource, kSOFMaxSources> Sources{};
};

struct TSOFRecord {
    std::uint8_t HeadSize = 20;
    std::uint8_t EntrySize = 6;
    std::uint16_t TotalSize = 0;
    std::array<std::uint8_t, 2> Options{};
    std::array<char, 16> Label{};
    std::array<TSOFInput, kSOFInputs> Inputs{};
};

// SOF records of structure 33: from byte 2, each starting with its own 16-bit length. A length
// below 2 or past the end ends the walk.
std::vector<RecordSpan> WalkSOFs(std::span<const std::uint8_t> payload);

int GetSOF(const TDevice& dev, int index, TSOFRecord& out);
int SetSOF(TDevice& dev, int index, const TSOFRecord& record);
// 1, the new SOF's index and record; 0 when the frame's SOF limit is reached.
int AddSOF(TDevice& dev, int& index, TSOFRecord& record);
int DeleteSOF(TDevice& dev, int index);
void FixSOF(TDevice& dev);

} // namespace kvr::model
