#pragma once
// Block filters: visitors that a block object's Describe lists its members to. TBinaryFilter
// reads and writes the big-endian block format, the library's one storage and wire format.

#include <cstdint>
#include <string>

#include "kvrdata/blockmsg.h"
#include "kvrdata/blockobject.h"
#include "kvrdata/blockvalue.h"
#include "kvrdata/bovector.h"
#include "kvrdata/stream.h"

namespace Kvrdata_ns {

// Option bits of a filter.
enum : int {
    boNoFileHeader = 0x01,
    boCRC32 = 0x02,
    boSeveralRoots = 0x04,
    boObjectStream = 0x08, // no effect; set by FromBinaryStream and ToBinaryStream
    boInit = 0x10,         // no effect; set by the initialisation filter
    boContinue = 0x20,     // the first root starts at the stream's position instead of 0
};

// Status codes. From bsFatal on, a visit has failed.
enum : short {
    bsOk = 0,
    bsOtherOptional = 1,
    bsEndOfBlock = 2,
    bsEndOfList = 3,
    bsWarning = 99,
    bsBlockTooShort = 100,
    bsBlockTooLong = 101,
    bsFatal = 999,
    bsSoftwareTooOld = 1000,
    bsFileTooOld = 1001,
    bsElementOverlapsEnd = 1002,
    bsBodyTooLong = 1003,
    bsHeaderIncomplete = 1004,
    bsNoXMLText = 1005,
    bsWrongFileID = 1006,
    bsCRCFailed = 1007,
    bsFileTooShort = 1008,
};

const char* StatusText(short Code);

// The library's file version and the versions written into and accepted from file headers.
extern THexNum<unsigned> CurrentFileVersion;
extern THexNum<unsigned> WrittenLowestSoftwareVersion;
extern THexNum<unsigned> WrittenLowestFirmwareVersion;
extern THexNum<unsigned> LowestAcceptedFileVersion;
// Derives a file version from a release date in the compiler's form ("Mar  3 2006").
unsigned FileVersionFromDate(const char* Date);

class TBlockFilter {
public:
    using TClock = std::uint32_t (*)();
    // Seconds since 1970 written into file headers; replaceable for tests.
    static TClock CurrentTime;

    TBlockFilter(TStream* Stream, short Options);
    explicit TBlockFilter(TBlockFilter* Parent);
    virtual ~TBlockFilter();
    TBlockFilter(const TBlockFilter&) = delete;
    TBlockFilter& operator=(const TBlockFilter&) = delete;

    // The result is the code of the worst message: below 999 the visit succeeded.
    virtual short Read(const char* Name, TBlockObject* Root) = 0;
    virtual short Write(const char* Name, TBlockObject* Root) = 0;

    virtual short Transfer(const char* Name, TBlockValue* Value) = 0;
    virtual short Transfer(const char* Name, unsigned char* Value) = 0;
    virtual short Transfer(const char* Name, unsigned short* Value) = 0;
    virtual short Transfer(const char* Name, unsigned int* Value) = 0;
    virtual short Transfer(const char* Name, char* Value) = 0;
    virtual short Transfer(const char* Name, short* Value) = 0;
    virtual short Transfer(const char* Name, int* Value) = 0;
    virtual short Transfer(const char* Name, std::int64_t* Value) = 0;
    virtual short Transfer(const char* Name, double* Value) = 0;
    virtual short Transfer(const char* Name, bool* Value) = 0;
    // The whole body of its block: a stream member is the only member of its block.
    virtual short Transfer(const char* Name, TStream* Member) = 0;
    // OptionalID 0: mandatory; 1-255: written only when present, read only when the next block
    // carries that ID. A reading filter asks the current object's CreateChild for a null Obj.
    virtual short TransferObject(const char* Name, TBlockObject*& Obj, unsigned char OptionalID) = 0;
    virtual short TransferObject(const char* Name, TBlockObject* Obj);
    // A typed member pointer; an object created while reading that is not a T is refused.
    template <typename T>
    short TransferObject(const char* Name, T*& Obj, unsigned char OptionalID);

    virtual void BeginSubBlock(TBlockFilter*& Child, const char* Name, unsigned char& ID, unsigned char& BlockOption,
                               bool Optional, int FixedSize, bool BigSize) = 0;
    virtual void EndSubBlock(TBlockFilter*& Child) = 0;
    virtual void BeginList();

    TBlockMsg* GetWorstMessage();
    std::string GetPath() const;
    bool IsWriting() const { return Writing; }
    short GetStatus() const { return Status; }
    unsigned GetFileVersion() const;
    void SetStatus(short Code);
    void AddMessage(short Code);
    TBOVector<TBlockMsg>& GetMessages() { return MessageList; }
    TBlockFilter* GetParentFilter() const { return ParentFilter; }

    unsigned GetReadFileVersion() const { return FileVersion.GetValue(); }
    unsigned GetLowestSoftwareVersion() const { return LowestSoftwareVersion.GetValue(); }
    unsigned GetLowestFirmwareVersion() const { return LowestFirmwareVersion.GetValue(); }
    unsigned GetWriteTime() const { return WriteTime.GetValue(); }

protected:
    // Sets ValueName for the duration of one transfer.
    class TValueScope {
    public:
        TValueScope(TBlockFilter* F, const char* Name) : Filter(F), Saved(F->ValueName) { F->ValueName = Name; }
        ~TValueScope() { Filter->ValueName = Saved; }
        TValueScope(const TValueScope&) = delete;
        TValueScope& operator=(const TValueScope&) = delete;

    private:
        TBlockFilter* Filter;
        const char* Saved;
    };

    TBOVector<TBlockMsg> MessageList;
    THexNum<unsigned> FileVersion;
    THexNum<unsigned> LowestSoftwareVersion;
    THexNum<unsigned> LowestFirmwareVersion;
    THexNum<unsigned> WriteTime;
    TBlockFilter* ParentFilter = nullptr;
    const char* BlockName = nullptr;
    const char* ValueName = nullptr;
    TBlockObject* CurrentObject = nullptr;
    TStream* Stream = nullptr;
    TBString<4> FileID;
    bool Writing = false;
    short Status = 0;
    short OptionBits = 0;
    bool FirstCall = true;
    bool ListMode = false;
};

template <typename T>
short TBlockFilter::TransferObject(const char* Name, T*& Obj, unsigned char OptionalID)
{
    TBlockObject* object = Obj;
    TransferObject(Name, object, OptionalID);
    if (object == static_cast<TBlockObject*>(Obj))
        return Status;
    T* typed = dynamic_cast<T*>(object);
    if (object && !typed) {
        delete object;
        SetStatus(bsFatal);
    }
    Obj = typed;
    return Status;
}

class TBinaryFilter : public TBlockFilter {
public:
    // Nesting deeper than this in data being read is refused with status 999.
    static constexpr int MaxNesting = 100;

    TBinaryFilter(TStream* Stream, int Options);
    explicit TBinaryFilter(TBinaryFilter* Parent);
    ~TBinaryFilter() override;

    short Read(const char* Name, TBlockObject* Root) override;
    short Write(const char* Name, TBlockObject* Root) override;

    using TBlockFilter::Transfer;
    using TBlockFilter::TransferObject;
    short Transfer(const char* Name, TBlockValue* Value) override;
    short Transfer(const char* Name, unsigned char* Value) override;
    short Transfer(const char* Name, unsigned short* Value) override;
    short Transfer(const char* Name, unsigned int* Value) override;
    short Transfer(const char* Name, char* Value) override;
    short Transfer(const char* Name, short* Value) override;
    short Transfer(const char* Name, int* Value) override;
    short Transfer(const char* Name, std::int64_t* Value) override;
    short Transfer(const char* Name, double* Value) override;
    short Transfer(const char* Name, bool* Value) override;
    short Transfer(const char* Name, TStream* Member) override;
    short TransferObject(const char* Name, TBlockObject*& Obj, unsigned char OptionalID) override;
    void BeginSubBlock(TBlockFilter*& Child, const char* Name, unsigned char& ID, unsigned char& BlockOption,
                       bool Optional, int FixedSize, bool BigSize) override;
    void EndSubBlock(TBlockFilter*& Child) override;

    virtual short ReadRoot(const char* Name, TBlockObject* Root);
    virtual short WriteRoot(const char* Name, TBlockObject* Root);
    virtual void BeginBlock(const char* Name, unsigned char& ID, unsigned char& BlockOption, bool Optional,
                            int FixedSize, bool BigSize);
    virtual void EndBlock();

private:
    void TransferFileInfo();
    template <typename T>
    short TransferNumber(const char* Name, T* Value);
    bool TransferBytes(void* Address, int Count);
    bool WriteBytes(const void* Address, int Count);
    bool ReadBytes(void* Address, int Count);

    std::int64_t BlockSize = 0;
    std::int64_t DataEnd = 0;
    std::int64_t BlockStart = 0;
    std::int64_t SizePos = 0;
    bool BigSize = false;
    // An optional member whose block was not there: the header was left for the next member.
    bool Absent = false;
    int Depth = 0;
    // A fatal status taken over from the enclosing filter, which already reported it.
    short InheritedStatus = 0;
};

} // namespace Kvrdata_ns
