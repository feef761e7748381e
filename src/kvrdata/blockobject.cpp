#include "kvrdata/blockobject.h"

#include <set>

#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/blockfilter.h"
#include "kvrdata/bovector.h"
#include "kvrdata/initfilter.h"
#include "kvrdata/sync.h"

namespace Kvrdata_ns {

namespace {

// Every live block object. Never destroyed, so objects that die during static destruction
// still find it.
std::set<const void*>& allInstances()
{
    static auto* instances = new std::set<const void*>;
    return *instances;
}

// The registry exists from the library's start.
const bool registryCreated = [] {
    TKVRFI fi("InitKVRData");
    allInstances();
    return true;
}();

// Created on first use and kept for the whole process: another thread may already wait on it
// when the registry empties.
TMTAccess* AllInstancesLock = nullptr;
constexpr const char* LockName = "(*TBlockObject::AllInstances)";

} // namespace

void TBlockObject::Register()
{
    TMTAccessHelper guard(&AllInstancesLock, LockName);
    allInstances().insert(this);
}

TBlockObject::TBlockObject(TBlockObject* AParent, unsigned short AID, bool AUseBigID, bool ADetached)
    : Parent(AParent), UseBigID(AUseBigID), Detached(ADetached)
{
    Register();
    if (Parent && !Detached)
        Parent->Children.insert(this);
    SetID(AID);
}

TBlockObject::TBlockObject(const TBlockObject& Other)
    : UseBigID(Other.UseBigID), Detached(Other.Detached), BigID(Other.BigID), BigSize(Other.BigSize)
{
    Register();
}

TBlockObject& TBlockObject::operator=(const TBlockObject& Other)
{
    BigID = Other.BigID;
    BigSize = Other.BigSize;
    return *this;
}

TBlockObject::~TBlockObject()
{
    TMTAccessHelper guard(&AllInstancesLock, LockName);
    // A parent destroyed first is no longer registered, so a child never touches a dead parent.
    if (Parent && IsLiveInstance(Parent) && !Parent->Children.empty())
        Parent->Children.erase(this);
    allInstances().erase(this);
    Children.clear();
}

bool TBlockObject::IsLiveInstance(const void* P)
{
    TMTAccessHelper guard(&AllInstancesLock, LockName);
    return allInstances().count(P) != 0;
}

void TBlockObject::Clear()
{
    ClearMembers();
}

std::string TBlockObject::GetClassName() const
{
    return "TBlockObject";
}

bool TBlockObject::SetParent(TBlockObject* NewParent)
{
    if (NewParent == Parent)
        return false;
    if (Parent && !Detached && IsLiveInstance(Parent))
        Parent->Children.erase(this);
    Parent = NewParent;
    if (Parent && !Detached)
        Parent->Children.insert(this);
    return true;
}

TBlockObject* TBlockObject::FindChild(short AID)
{
    for (TBlockObject* child : Children)
        if (static_cast<short>(child->GetID()) == AID)
            return child;
    return nullptr;
}

bool TBlockObject::SetID(unsigned short NewID)
{
    if (UseBigID) {
        if (BigID == NewID)
            return false;
        BigID = NewID;
    } else {
        if (GetIDByte() == NewID)
            return false;
        SetIDByte(static_cast<unsigned char>(NewID & 0xFFU));
    }
    if (Parent && IsLiveInstance(Parent))
        if (auto* vector = dynamic_cast<TBBaseVector*>(Parent))
            vector->ElementIDChanged(this);
    return true;
}

void TBlockObject::BeforeChildModified(TBlockObject* Child)
{
    TKVRFI fi("TBlockObject::BeforeChildModified");
    NotifyParent(Child, "Before Modify ", &TBlockObject::BeforeChildModified);
}

void TBlockObject::AfterChildModified(TBlockObject* Child)
{
    TKVRFI fi("TBlockObject::AfterChildModified");
    NotifyParent(Child, "After Modify ", &TBlockObject::AfterChildModified);
}

void TBlockObject::NotifyParent(TBlockObject* Child, const char* Trace, void (TBlockObject::*Notice)(TBlockObject*))
{
    // A child that died meanwhile is named by this object instead.
    const bool childLive = IsLiveInstance(Child);
    if (childLive)
        InfoFormatter->Trace(0x2005, "%s%s", Trace, Child->GetClassName().c_str());
    if (Parent && IsLiveInstance(Parent))
        (Parent->*Notice)(childLive ? Child : this);
}

void TBlockObject::Init()
{
    TInitFilter filter(TInitFilter::imInit);
    filter.Read("", this);
}

void TBlockObject::ClearMembers()
{
    TInitFilter filter(TInitFilter::imClear);
    filter.Read("", this);
}

void TBlockObject::BroadcastLoaded(TBlockFilter* Filter)
{
    Loaded(Filter);
    // A Loaded hook may change the tree: walk a copy and skip children that died meanwhile.
    const std::vector<TBlockObject*> children(Children.begin(), Children.end());
    for (TBlockObject* child : children)
        if (IsLiveInstance(child))
            child->BroadcastLoaded(Filter);
}

void TBlockObject::BeginValues(TBlockFilter*& Filter, bool ABigSize)
{
    SavedFilter = Filter;
    unsigned char id = 1;
    unsigned char option = 0;
    Filter->BeginSubBlock(Filter, "Values", id, option, false, -1, ABigSize);
}

void TBlockObject::EndValues(TBlockFilter*& Filter)
{
    if (!SavedFilter)
        return;
    SavedFilter->EndSubBlock(Filter);
    Filter = SavedFilter;
    SavedFilter = nullptr;
}

bool TBlockObject::FromBinaryStream(TMemoryStream* Stream, bool Continue)
{
    TBinaryFilter filter(Stream, Continue ? (boObjectStream | boNoFileHeader | boContinue) : (boObjectStream | boNoFileHeader));
    const std::string name = GetClassName();
    const short r = filter.Read(name.c_str(), this);
    if (r >= bsFatal) {
        TKVRFI fi("TBlockObject::FromBinaryStream");
        InfoFormatter->Trace(0x2002, "Error: %s", MessageText(filter.GetWorstMessage()).c_str());
    }
    return r < bsFatal;
}

bool TBlockObject::ToBinaryStream(TMemoryStream* Stream, bool Continue)
{
    TBinaryFilter filter(Stream, Continue ? (boObjectStream | boNoFileHeader | boContinue) : (boObjectStream | boNoFileHeader));
    const std::string name = GetClassName();
    return filter.Write(name.c_str(), this) < bsFatal;
}

bool TBlockObject::FromVariant(std::vector<std::uint8_t>& V)
{
    TMemoryStream stream(std::move(V));
    V.clear();
    return FromBinaryStream(&stream, false);
}

bool TBlockObject::ToVariant(std::vector<std::uint8_t>& V)
{
    V.clear();
    TMemoryStream stream;
    if (!ToBinaryStream(&stream, false))
        return false;
    V = stream.Bytes();
    return true;
}

short TBlockObject::FromBuffer(const void* Buffer, int Count)
{
    TMemoryStream stream;
    if (Buffer && Count > 0)
        stream.WriteBuffer(Buffer, Count);
    TBinaryFilter filter(&stream, boNoFileHeader);
    return filter.Read("BO", this);
}

void TBlockObject::Assign(TBlockObject* Source)
{
    TMemoryStream stream;
    TBinaryFilter filter(&stream, boNoFileHeader);
    filter.Write("BO", Source);
    filter.Read("BO", this);
}

} // namespace Kvrdata_ns
