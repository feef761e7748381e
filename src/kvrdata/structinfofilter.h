#pragma once
// Documents the block format: writes a C-like description of every structure class reachable
// from a root block object, with the generic file and block headers in front.

#include <map>
#include <string>

#include "kvrdata/blockfilter.h"

namespace Kvrdata_ns {

class TStructInfoFilter : public TBlockFilter {
public:
    // The text goes to Output (not owned).
    explicit TStructInfoFilter(TStream* Output, short Options = 0);
    ~TStructInfoFilter() override;

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

private:
    void Statement(const std::string& A, const std::string& B = "", const std::string& C = "");
    void Member(const std::string& Type, const char* Name, const std::string& Comment);
    short Scalar(const char* Type, const char* Name);
    void FixedSizeLines(int FixedSize);

    std::map<std::string, TBlockObject*> Structures; // not owned
    bool Printing = false;
};

} // namespace Kvrdata_ns
