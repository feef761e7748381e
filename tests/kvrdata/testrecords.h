#pragma once
// Records used by the block library tests.

#include "kvrdata/blockfilter.h"
#include "kvrdata/blockobject.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/blockvalue.h"
#include "kvrdata/bovector.h"

#include <cstdint>
#include <vector>

namespace kvrtest {

using namespace Kvrdata_ns;

// The members of a device address, in their order: ten members, no "Values" group.
class TAddrRecord : public TBlockObject {
public:
    explicit TAddrRecord(TBlockObject* Parent = nullptr) : TBlockObject(Parent)
    {
        Init();
        Client = "UKN";
    }
    void Describe(TBlockFilter* Filter) override
    {
        Filter->Transfer("IP", &IP);
        Filter->Transfer("MAC", &MAC);
        Filter->Transfer("PID", &PID);
        Filter->Transfer("DID", &DID);
        Filter->Transfer("Name", &Name);
        int ck = CK;
        Filter->Transfer("CK", &ck);
        CK = static_cast<unsigned char>(ck);
        Filter->Transfer("COMPort", &COMPort);
        Filter->Transfer("Server", &Server);
        Filter->Transfer("Client", &Client);
        Filter->Transfer("FirmwareVersion", &FirmwareVersion);
    }

    unsigned IP = 0, MAC = 0, PID = 0, DID = 0;
    TBString<10> Name;
    unsigned char CK = 0;
    unsigned char COMPort = 0;
    TBVarString<50> Server;
    TBString<3> Client;
    unsigned FirmwareVersion = 0;
    unsigned NotDescribed = 0;
};

class TElem : public TBlockObject {
public:
    explicit TElem(TBlockObject* Parent = nullptr) : TBlockObject(Parent) { Init(); }
    std::string GetClassName() const override { return "TElem"; }
    void Describe(TBlockFilter* Filter) override
    {
        Filter->Transfer("Value", &Value);
        Filter->Transfer("Text", &Text);
    }
    unsigned Value = 0;
    TBVarString<20> Text;
};

using TElems = TBOVector<TElem, 0, 0>;

// A nested record: a "Values" group, a vector, an optional sub-object, a raw stream and an
// optional child of its own kind that a reader creates on demand, and an optional member that
// no reader can create.
class TNestRecord : public TBlockObject {
public:
    explicit TNestRecord(TBlockObject* Parent = nullptr) : TBlockObject(Parent), Elems(this, 0, "Elem"), Data(this)
    {
        Init();
    }
    ~TNestRecord() override
    {
        delete Opt;
        delete Next;
        delete Missing;
    }
    TNestRecord(const TNestRecord&) = delete;
    TNestRecord& operator=(const TNestRecord&) = delete;

    std::string GetClassName() const override { return "TNestRecord"; }
    void Describe(TBlockFilter* Filter) override
    {
        BeginValues(Filter, false);
        Filter->Transfer("Word", &Word);
        Filter->Transfer("Short", &Short);
        Filter->Transfer("Wide", &Wide);
        Filter->Transfer("Real", &Real);
        Filter->Transfer("Flag", &Flag);
        Filter->Transfer("Hex", &Hex);
        EndValues(Filter);
        Filter->TransferObject("Elems", &Elems);
        Filter->TransferObject("Opt", Opt, 5);
        Filter->TransferObject("&Data", &Data);
        Filter->TransferObject("Next", Next, 7);
        Filter->TransferObject("Missing", Missing, 9); // nothing creates it: reading it is fatal
    }
    TBlockObject* CreateChild(unsigned char ID) override
    {
        if (ID == 5)
            return new TElem(this);
        if (ID == 7)
            return new TNestRecord(this);
        return nullptr;
    }

    unsigned short Word = 0;
    short Short = 0;
    std::int64_t Wide = 0;
    double Real = 0;
    bool Flag = false;
    THexNum<unsigned> Hex;
    TElems Elems;
    TElem* Opt = nullptr;
    TBlockStream Data;
    TNestRecord* Next = nullptr;
    TElem* Missing = nullptr;
};

inline std::vector<std::uint8_t> toBytes(TBlockObject& Object)
{
    std::vector<std::uint8_t> bytes;
    Object.ToVariant(bytes);
    return bytes;
}

inline std::vector<std::uint8_t> bytesOf(std::initializer_list<int> Values)
{
    std::vector<std::uint8_t> bytes;
    for (int v : Values)
        bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

} // namespace kvrtest
