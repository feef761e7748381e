#pragma once
// Base of every self-describing record. A record lists its members, in a fixed order, to a
// filter in Describe; the filter reads, writes, initialises or documents them.
//
//   class TMyRecord : public TBlockObject {
//   public:
//       explicit TMyRecord(TBlockObject* Parent = nullptr) : TBlockObject(Parent) { Init(); }
//       void Describe(TBlockFilter* Filter) override
//       {
//           Filter->Transfer("Count", &Count);
//           Filter->Transfer("Name", &Name);
//       }
//       unsigned Count = 0;
//       TBString<10> Name;
//   };

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "kvrdata/stream.h"

namespace Kvrdata_ns {

class TBlockFilter;

class TBlockObject {
public:
    explicit TBlockObject(TBlockObject* Parent = nullptr, unsigned short ID = 0, bool UseBigID = false,
                          bool Detached = false);
    // A copy is a new, registered object with the same header and no parent or children.
    TBlockObject(const TBlockObject& Other);
    // Copies the header bytes only; parent, children and registry entry stay.
    TBlockObject& operator=(const TBlockObject& Other);
    virtual ~TBlockObject();

    // Hooks and operations a record may override.
    virtual void AfterInsert() {}
    virtual void Clear();
    virtual std::string GetClassName() const;
    virtual void Loaded(TBlockFilter* /*Filter*/) {}
    virtual bool SetParent(TBlockObject* NewParent);
    virtual TBlockObject* FindChild(short ID);
    // -1: the block carries its size. A class whose body always has the same size returns it.
    virtual int GetFixedSize() const { return -1; }
    virtual void SetBigSize(bool Value) { BigSize = Value; }
    virtual bool GetBigSize() const { return BigSize; }
    virtual void BeforeTransfer(TBlockFilter* /*Filter*/) {}
    virtual void Describe(TBlockFilter* Filter) = 0;
    // Asked by a reading filter for a sub-object whose member pointer is null.
    virtual TBlockObject* CreateChild(unsigned char /*ID*/) { return nullptr; }
    virtual void DeleteChild(int /*ID*/) {}
    virtual void BeforeChildModified(TBlockObject* Child);
    virtual void AfterChildModified(TBlockObject* Child);
    virtual void Init();
    virtual void ClearMembers();
    virtual void BroadcastLoaded(TBlockFilter* Filter);

    TBlockObject* GetParent() const { return Parent; }
    const std::set<TBlockObject*>& GetChildren() const { return Children; }
    unsigned short GetID() const { return UseBigID ? BigID : static_cast<unsigned short>(BigID >> 8); }
    bool SetID(unsigned short NewID);
    bool GetUseBigID() const { return UseBigID; }
    bool IsDetached() const { return Detached; }

    // The two header bytes as they travel: ID first, then the option byte.
    unsigned char GetIDByte() const { return static_cast<unsigned char>(BigID >> 8); }
    void SetIDByte(unsigned char Value) { BigID = static_cast<unsigned short>((Value << 8) | (BigID & 0xFFU)); }
    unsigned char GetBlockOption() const { return static_cast<unsigned char>(BigID & 0xFFU); }
    void SetBlockOption(unsigned char Value) { BigID = static_cast<unsigned short>((BigID & 0xFF00U) | Value); }

    static bool IsLiveInstance(const void* P);

    // Groups the following plain members into a sub-block "Values" with ID 1; Filter refers to
    // the group's filter until EndValues.
    void BeginValues(TBlockFilter*& Filter, bool BigSize);
    void EndValues(TBlockFilter*& Filter);

    // The block format without file header or CRC; Continue starts at the stream's position.
    bool FromBinaryStream(TMemoryStream* Stream, bool Continue);
    bool ToBinaryStream(TMemoryStream* Stream, bool Continue);
    // Byte arrays as handed to and from the communication server. FromVariant empties V.
    bool FromVariant(std::vector<std::uint8_t>& V);
    bool ToVariant(std::vector<std::uint8_t>& V);
    // The filter status of the read: below 999 is success.
    short FromBuffer(const void* Buffer, int Count);
    // Copies the described members and the header bytes of Source.
    void Assign(TBlockObject* Source);

private:
    void Register();
    void NotifyParent(TBlockObject* Child, const char* Trace, void (TBlockObject::*Notice)(TBlockObject*));

    TBlockObject* Parent = nullptr;
    std::set<TBlockObject*> Children;
    bool UseBigID = false;
    bool Detached = false;
    unsigned short BigID = 0; // ID in the high byte, BlockOption in the low byte
    TBlockFilter* SavedFilter = nullptr;
    bool BigSize = false;
};

} // namespace Kvrdata_ns
