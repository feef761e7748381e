#include "kvrdata/blockfilter.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "kvrdata/blockstream.h"
#include "kvrdata/crc32.h"
#include "kvrdata/util.h"

namespace Kvrdata_ns {

THexNum<unsigned> CurrentFileVersion;
THexNum<unsigned> WrittenLowestSoftwareVersion;
THexNum<unsigned> WrittenLowestFirmwareVersion;
THexNum<unsigned> LowestAcceptedFileVersion;

namespace {

// The release date the library's file version is derived from.
constexpr const char* ReleaseDate = "Mar  3 2006";

std::uint32_t systemTime()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}

void deriveCurrentFileVersion()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (CurrentFileVersion.GetValue() == 0)
            CurrentFileVersion = FileVersionFromDate(ReleaseDate);
    });
}

// An empty block read into a container leaves none of its old content: a vector ends empty,
// and so does a raw-data container, whose Describe (which empties it) is not run for it.
void EmptyContainer(TBlockObject* Obj)
{
    if (auto* vector = dynamic_cast<TBBaseVector*>(Obj))
        vector->RemoveAll();
    else if (auto* container = dynamic_cast<TBlockStream*>(Obj))
        container->GetStream()->SetSize(0);
}

} // namespace

TBlockFilter::TClock TBlockFilter::CurrentTime = systemTime;

unsigned FileVersionFromDate(const char* Date)
{
    static constexpr const char* Months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    unsigned month = 0;
    if (Date && std::strlen(Date) >= 3) {
        for (unsigned m = 0; m < 12; ++m)
            if (std::strncmp(Months + 3 * m, Date, 3) == 0)
                month = m + 1;
    }
    unsigned day = 0;
    unsigned year = 0;
    if (Date && std::strlen(Date) >= 11) {
        for (int i = 4; i < 6; ++i)
            if (Date[i] >= '0' && Date[i] <= '9')
                day = day * 10 + static_cast<unsigned>(Date[i] - '0');
        for (int i = 7; i < 11; ++i)
            year = year * 10 + static_cast<unsigned>(Date[i] - '0');
    }
    return (((year + 48) & 0xFFU) << 24) | (month << 16) | (day << 8);
}

const char* StatusText(short Code)
{
    switch (Code) {
    case bsOk: return "Ok";
    case bsEndOfBlock: return "End of block reached.";
    case bsEndOfList: return "End of list reached";
    case bsWarning: return "General warning.";
    case bsBlockTooShort: return "Block too short or name of value not found.";
    case bsBlockTooLong: return "Block too long, not all data read.";
    case bsFatal: return "General Error.";
    case bsSoftwareTooOld: return "Software version is lower than needed for this file.";
    case bsFileTooOld: return "File version is lower than needed for this software.";
    case bsElementOverlapsEnd: return "Element to be read overlaps end of block.";
    case bsNoXMLText: return "XML section contains no text for the value.";
    case bsWrongFileID: return "Wrong file ID.";
    case bsCRCFailed: return "CRC check failed.";
    case bsFileTooShort: return "File shorter than block size.";
    default: return "(No error text.)";
    }
}

// ---------------------------------------------------------------------------------------------
// TBlockFilter

TBlockFilter::TBlockFilter(TStream* AStream, short Options)
    : MessageList(nullptr, 0, "BlockMsg"), Stream(AStream), OptionBits(Options)
{
    deriveCurrentFileVersion();
}

TBlockFilter::TBlockFilter(TBlockFilter* Parent)
    : MessageList(nullptr, 0, "BlockMsg"), FileVersion(Parent->FileVersion),
      LowestSoftwareVersion(Parent->LowestSoftwareVersion), LowestFirmwareVersion(Parent->LowestFirmwareVersion),
      ParentFilter(Parent), Stream(Parent->Stream), Writing(Parent->Writing), OptionBits(Parent->OptionBits)
{
}

TBlockFilter::~TBlockFilter() = default;

short TBlockFilter::TransferObject(const char* Name, TBlockObject* Obj)
{
    TBlockObject* object = Obj;
    return TransferObject(Name, object, 0);
}

void TBlockFilter::BeginList()
{
    if (!Writing)
        ListMode = true;
}

unsigned TBlockFilter::GetFileVersion() const
{
    return Writing ? CurrentFileVersion.GetValue() : FileVersion.GetValue();
}

void TBlockFilter::SetStatus(short Code)
{
    if (Status < Code)
        Status = Code;
    if (Code > 98)
        AddMessage(Code);
}

void TBlockFilter::AddMessage(short Code)
{
    auto* message = static_cast<TBlockMsg*>(MessageList.CreateElement());
    MessageList.Insert(message);
    message->AfterInsert();
    message->IOState = Code;
    message->Context = GetPath();
    message->Text = StatusText(Code);
}

TBlockMsg* TBlockFilter::GetWorstMessage()
{
    if (MessageList.Size() == 0)
        AddMessage(bsOk);
    TBlockMsg* worst = nullptr;
    for (int i = 0; i < MessageList.Size(); ++i) {
        auto* message = static_cast<TBlockMsg*>(MessageList.At(i));
        if (!worst || message->IOState > worst->IOState)
            worst = message;
    }
    return worst;
}

std::string TBlockFilter::GetPath() const
{
    std::string own = AlphaNumOnly(BlockName) + ":" + (ValueName ? ValueName : "");
    return ParentFilter ? ParentFilter->GetPath() + own : own;
}

// ---------------------------------------------------------------------------------------------
// TBinaryFilter

TBinaryFilter::TBinaryFilter(TStream* AStream, int Options) : TBlockFilter(AStream, static_cast<short>(Options)) {}

TBinaryFilter::TBinaryFilter(TBinaryFilter* Parent)
    : TBlockFilter(Parent), DataEnd(Parent->DataEnd), Depth(Parent->Depth + 1)
{
    // A fatal state of the enclosing block holds inside it too: nothing more is read or written.
    if (Parent->Status >= bsFatal)
        Status = InheritedStatus = Parent->Status;
}

TBinaryFilter::~TBinaryFilter()
{
    if (!ParentFilter && Writing && (OptionBits & boSeveralRoots) && (OptionBits & boCRC32)) {
        try {
            Stream->SetPosition(0);
            AppendCRC32(Stream);
        } catch (...) {
            // A destructor reports nothing; the stream's owner sees the missing trailer.
        }
    }
}

short TBinaryFilter::Read(const char* Name, TBlockObject* Root)
{
    const short r = ReadRoot(Name, Root);
    if (r < bsFatal && Root)
        Root->BroadcastLoaded(this);
    return r;
}

short TBinaryFilter::Write(const char* Name, TBlockObject* Root)
{
    return WriteRoot(Name, Root);
}

short TBinaryFilter::ReadRoot(const char* Name, TBlockObject* Root)
{
    Writing = false;
    if (FirstCall) {
        const std::int64_t start = (OptionBits & boContinue) ? Stream->GetPosition() : 0;
        Stream->SetPosition(start);
        Status = bsOk;
        if (OptionBits & boCRC32) {
            // A stream too short to hold a trailer fails the check.
            if (Stream->GetSize() - start < 4 || !CheckCRC32(Stream, 0))
                SetStatus(bsCRCFailed);
            Stream->SetPosition(start);
        }
    }
    if (OptionBits & boSeveralRoots)
        FirstCall = false;
    if (Status < bsFatal) {
        DataEnd = Stream->GetSize() - ((OptionBits & boCRC32) ? 4 : 0);
        BlockStart = Stream->GetPosition();
        if (!(OptionBits & boNoFileHeader)) {
            BlockSize = 20;
            FileID = Name ? Name : "";
            TransferFileInfo();
        }
        if (Status == bsOk) {
            TransferObject(Name, Root);
            if (Status == bsEndOfBlock)
                Status = bsOk;
        }
    }
    return GetWorstMessage()->IOState;
}

short TBinaryFilter::WriteRoot(const char* Name, TBlockObject* Root)
{
    Writing = true;
    if (FirstCall) {
        if (!(OptionBits & boContinue))
            Stream->SetPosition(0);
        Status = bsOk;
        if (OptionBits & boSeveralRoots)
            FirstCall = false;
    }
    if (!(OptionBits & boNoFileHeader)) {
        FileID = Name ? Name : "";
        TransferFileInfo();
    }
    TransferObject(Name, Root);
    if ((OptionBits & boCRC32) && !(OptionBits & boSeveralRoots)) {
        Stream->SetPosition(0);
        AppendCRC32(Stream);
    }
    return GetWorstMessage()->IOState;
}

void TBinaryFilter::TransferFileInfo()
{
    TBString<4> id = FileID;
    Transfer("FileID", &id);
    if (!(id == FileID)) {
        SetStatus(bsWrongFileID);
        return;
    }
    if (Writing) {
        THexNum<unsigned> version = CurrentFileVersion;
        Transfer("FileVersion", &version);
    } else {
        Transfer("FileVersion", &FileVersion);
    }
    // Only the end-of-block state of the reads above is cleared: a header that could not be
    // read stays a failure.
    if (Status < bsFatal)
        Status = bsOk;
    const unsigned v = GetFileVersion();
    if (v > 0x03080F00U) {
        WriteTime = CurrentTime();
        Transfer("WriteTime", &WriteTime);
    }
    if (v > 0x055A0000U) {
        if (Writing) {
            THexNum<unsigned> software = WrittenLowestSoftwareVersion;
            THexNum<unsigned> firmware = WrittenLowestFirmwareVersion;
            Transfer("LowestSoftwareVersion", &software);
            Transfer("LowestFirmwareVersion", &firmware);
        } else {
            Transfer("LowestSoftwareVersion", &LowestSoftwareVersion);
            Transfer("LowestFirmwareVersion", &LowestFirmwareVersion);
            if (LowestSoftwareVersion.GetValue() > CurrentFileVersion.GetValue())
                SetStatus(bsSoftwareTooOld);
            else if (FileVersion.GetValue() < LowestAcceptedFileVersion.GetValue())
                SetStatus(bsFileTooOld);
        }
    }
    if (Status == bsEndOfBlock)
        Status = bsOk;
}

bool TBinaryFilter::TransferBytes(void* Address, int Count)
{
    return Writing ? WriteBytes(Address, Count) : ReadBytes(Address, Count);
}

bool TBinaryFilter::WriteBytes(const void* Address, int Count)
{
    if (Status >= bsFatal)
        return false;
    return Stream->Write(Address, Count) == Count;
}

bool TBinaryFilter::ReadBytes(void* Address, int Count)
{
    if (Status >= bsFatal || Count == 0 || Status == bsBlockTooShort)
        return false;
    if (Status == bsEndOfBlock) {
        SetStatus(bsBlockTooShort);
        return false;
    }
    const std::int64_t position = Stream->GetPosition();
    const std::int64_t end = position + Count - BlockStart;
    if (end > BlockSize) {
        if (BlockSize != 0) {
            SetStatus(bsElementOverlapsEnd);
        } else {
            SetStatus(ListMode ? bsEndOfList : bsBlockTooShort);
            ListMode = false;
        }
        return false;
    }
    if (end == BlockSize)
        SetStatus(bsEndOfBlock);
    // Never read past the readable data (the CRC trailer is not data).
    if (position + Count > DataEnd) {
        SetStatus(bsFileTooShort);
        return false;
    }
    if (Stream->Read(Address, Count) != Count) {
        SetStatus(bsFileTooShort);
        return false;
    }
    return true;
}

template <typename T>
short TBinaryFilter::TransferNumber(const char* Name, T* Value)
{
    TValueScope scope(this, Name);
    using U = std::conditional_t<sizeof(T) == 1, std::uint8_t,
                                 std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                                     std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;
    static_assert(sizeof(U) == sizeof(T));
    unsigned char bytes[sizeof(T)];
    if (Writing) {
        U bits;
        std::memcpy(&bits, Value, sizeof bits);
        for (int i = static_cast<int>(sizeof(T)) - 1; i >= 0; --i) {
            bytes[i] = static_cast<unsigned char>(bits & 0xFFU);
            bits = static_cast<U>(bits >> 4 >> 4);
        }
        WriteBytes(bytes, sizeof bytes);
    } else if (ReadBytes(bytes, sizeof bytes)) {
        // A member whose read fails keeps its old value.
        U bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits = static_cast<U>((bits << 4 << 4) | bytes[i]);
        std::memcpy(Value, &bits, sizeof bits);
    }
    return Status;
}

short TBinaryFilter::Transfer(const char* Name, unsigned char* Value) { return TransferNumber(Name, Value); }
short TBinaryFilter::Transfer(const char* Name, unsigned short* Value) { return TransferNumber(Name, Value); }
short TBinaryFilter::Transfer(const char* Name, unsigned int* Value) { return TransferNumber(Name, Value); }
short TBinaryFilter::Transfer(const char* Name, char* Value) { return TransferNumber(Name, Value); }
short TBinaryFilter::Transfer(const char* Name, short* Value) { return TransferNumber(Name, Value); }
short TBinaryFilter::Transfer(const char* Name, int* Value) { return TransferNumber(Name, Value); }
short TBinaryFilter::Transfer(const char* Name, std::int64_t* Value) { return TransferNumber(Name, Value); }
short TBinaryFilter::Transfer(const char* Name, double* Value) { return TransferNumber(Name, Value); }

short TBinaryFilter::Transfer(const char* Name, bool* Value)
{
    // A bool travels as one byte 0 or 1; any other byte read counts as true.
    unsigned char byte = *Value ? 1 : 0;
    TransferNumber(Name, &byte);
    *Value = byte != 0;
    return Status;
}

short TBinaryFilter::Transfer(const char* Name, TBlockValue* Value)
{
    TValueScope scope(this, Name);
    const int size = Value->GetIOSize();
    unsigned char* buffer = Value->LockIOBuffer();
    if (size >= 0) {
        TransferBytes(buffer, size);
    } else if (!Writing) {
        TransferBytes(buffer, 1);
        TransferBytes(buffer + 1, buffer[0]);
    } else {
        TransferBytes(buffer, buffer[0] + 1);
    }
    Value->UnlockIOBuffer();
    return Status;
}

short TBinaryFilter::Transfer(const char* Name, TStream* Member)
{
    TValueScope scope(this, Name);
    unsigned char buffer[65536];
    if (Writing) {
        if (Status >= bsFatal)
            return Status;
        Member->SetPosition(0);
        for (;;) {
            const int got = Member->Read(buffer, sizeof buffer);
            if (got <= 0)
                break;
            Stream->WriteBuffer(buffer, got);
        }
    } else if (BlockSize > 0 && Status < bsFatal) {
        // The rest of the block, which BeginBlock found inside the data.
        std::int64_t left = std::max<std::int64_t>(0, BlockStart + BlockSize - Stream->GetPosition());
        while (left > 0) {
            const int want = static_cast<int>(std::min<std::int64_t>(left, sizeof buffer));
            const int got = Stream->Read(buffer, want);
            if (got <= 0)
                break;
            Member->WriteBuffer(buffer, got);
            left -= got;
        }
    }
    return Status;
}

short TBinaryFilter::TransferObject(const char* Name, TBlockObject*& Obj, unsigned char OptionalID)
{
    auto* vector = dynamic_cast<TBBaseVector*>(Obj);
    const int count = vector ? vector->Size() : 0;
    if (Writing && !Obj)
        return Status;
    if (Writing && vector && count <= 0 && OptionalID != 0)
        return Status;
    if (Obj)
        Obj->BeforeTransfer(nullptr);

    unsigned char id = Writing ? (OptionalID > 0 ? OptionalID : Obj->GetIDByte()) : OptionalID;
    unsigned char option = Obj ? Obj->GetBlockOption() : 0;
    const int fixedSize = Obj ? Obj->GetFixedSize() : -1;
    const bool bigSize = Obj ? Obj->GetBigSize() : false;

    TBlockFilter* childFilter = nullptr;
    BeginSubBlock(childFilter, Name, id, option, OptionalID != 0, fixedSize, bigSize);
    auto* child = static_cast<TBinaryFilter*>(childFilter);
    try {
        if (Status == bsOk && (child->Status == bsOk || child->Status == bsEndOfBlock) && !child->Absent) {
            if (!Obj) {
                Obj = CurrentObject ? CurrentObject->CreateChild(OptionalID) : nullptr;
                // Nothing to read into: a fatal error of this member, not a null dereference.
                if (!Obj)
                    child->SetStatus(bsFatal);
            }
            if (Obj) {
                Obj->SetIDByte(id);
                Obj->SetBlockOption(option);
                if (child->Status != bsEndOfBlock) {
                    child->CurrentObject = Obj;
                    Obj->Describe(child);
                } else if (!Writing) {
                    EmptyContainer(Obj);
                }
            }
        } else if (!Writing && vector) {
            vector->RemoveAll();
        }
    } catch (...) {
        delete child;
        throw;
    }
    EndSubBlock(childFilter);
    return Status;
}

void TBinaryFilter::BeginSubBlock(TBlockFilter*& Child, const char* Name, unsigned char& ID, unsigned char& BlockOption,
                                  bool Optional, int FixedSize, bool ABigSize)
{
    if (!Writing) {
        if (Stream->GetPosition() >= DataEnd || Status == bsEndOfBlock) {
            if (ListMode) {
                SetStatus(bsEndOfList);
                ListMode = false;
            } else {
                SetStatus(Optional ? bsEndOfBlock : bsBlockTooShort);
            }
        } else if (Depth >= MaxNesting && Status < bsFatal) {
            // Data nested deeper than any record of this library: refused before recursing.
            SetStatus(bsFatal);
        }
    }
    auto* child = new TBinaryFilter(this);
    Child = child;
    if (Status == bsOk)
        child->BeginBlock(Name, ID, BlockOption, Optional, FixedSize, ABigSize);
}

void TBinaryFilter::EndSubBlock(TBlockFilter*& Child)
{
    auto* child = static_cast<TBinaryFilter*>(Child);
    if (Status == bsOk)
        child->EndBlock();
    for (int i = 0; i < child->MessageList.Size(); ++i) {
        const auto* message = static_cast<TBlockMsg*>(child->MessageList.At(i));
        auto* copy = static_cast<TBlockMsg*>(MessageList.CreateElement());
        MessageList.Insert(copy);
        copy->AfterInsert();
        copy->IOState = message->IOState;
        copy->Text = message->Text;
        copy->Context = message->Context;
    }
    if (child->Status > 998 && child->Status != child->InheritedStatus)
        SetStatus(child->Status);
    delete child;
    Child = nullptr;
    if (!Writing && Stream->GetPosition() == BlockStart + BlockSize)
        SetStatus(bsEndOfBlock);
}

void TBinaryFilter::BeginBlock(const char* Name, unsigned char& ID, unsigned char& BlockOption, bool Optional,
                               int FixedSize, bool ABigSize)
{
    BlockName = Name;
    BigSize = ABigSize;
    if (Writing) {
        unsigned char id = ID;
        unsigned char option = BlockOption;
        Transfer("ID", &id);
        Transfer("BlockOption", &option);
        if (FixedSize < 0) {
            SizePos = Stream->GetPosition();
            BlockSize = 0;
            unsigned short size = 0;
            Transfer("Size", &size);
        } else {
            SizePos = -1;
            BlockSize = FixedSize;
        }
        BlockStart = Stream->GetPosition();
        return;
    }

    // The header is read as a pseudo-block of its own size, so its bytes pass ReadBytes.
    BlockStart = Stream->GetPosition();
    BlockSize = FixedSize < 0 ? 4 : 2;
    unsigned char id = 0;
    unsigned char option = 0;
    std::int64_t size = FixedSize;
    Transfer("ID", &id);
    // The ID alone tells whether an optional member is there, so the bytes of a following
    // member are never taken for the rest of a header.
    if (Optional && id != ID && Status < bsFatal) {
        // Another member's block: leave the header for the next member.
        SetStatus(bsEndOfBlock);
        SetStatus(bsOtherOptional);
        BlockSize = 0;
        Stream->SetPosition(BlockStart);
        Absent = true;
        return;
    }
    Transfer("BlockOption", &option);
    if (FixedSize < 0) {
        unsigned short size16 = 0;
        Transfer("Size", &size16);
        size = size16;
    }
    if (Status != bsEndOfBlock) {
        SetStatus(bsHeaderIncomplete);
        return;
    }
    BlockSize = size;
    if (BigSize)
        BlockSize += static_cast<std::int64_t>(option) << 16;
    if (BlockSize > 0)
        Status = bsOk;
    ID = id;
    if (!BigSize)
        BlockOption = option;
    if (DataEnd < Stream->GetPosition() + BlockSize)
        SetStatus(bsFileTooShort);
    BlockStart = Stream->GetPosition();
}

void TBinaryFilter::EndBlock()
{
    if (Writing) {
        const std::int64_t end = Stream->GetPosition();
        const std::int64_t length = end - BlockStart;
        if (length > (BigSize ? 0xFFFFFF : 0xFFFF)) {
            SetStatus(bsBodyTooLong);
        } else if (SizePos >= 0) {
            if (BigSize) {
                Stream->SetPosition(SizePos - 1);
                unsigned char high = static_cast<unsigned char>(length >> 16);
                Transfer("BlockOption", &high);
            }
            Stream->SetPosition(SizePos);
            unsigned short low = static_cast<unsigned short>(length & 0xFFFF);
            Transfer("Size", &low);
            Stream->SetPosition(end);
        }
    } else {
        const std::int64_t end = BlockStart + BlockSize;
        const std::int64_t position = Stream->GetPosition();
        if (position == end)
            SetStatus(bsEndOfBlock);
        else if (position < end)
            SetStatus(bsBlockTooLong);
        else
            SetStatus(bsFileTooShort);
        Stream->SetPosition(end);
    }
    BlockName = nullptr;
    CurrentObject = nullptr;
}

} // namespace Kvrdata_ns
