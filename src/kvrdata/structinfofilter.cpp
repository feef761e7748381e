#include "kvrdata/structinfofilter.h"

#include "kvrdata/util.h"

namespace Kvrdata_ns {

TStructInfoFilter::TStructInfoFilter(TStream* Output, short Options) : TBlockFilter(Output, Options) {}

TStructInfoFilter::~TStructInfoFilter()
{
    Structures.clear();
}

void TStructInfoFilter::Statement(const std::string& A, const std::string& B, const std::string& C)
{
    if (!Printing || !Stream)
        return;
    const std::string line = A + " " + B + " " + C + " \n";
    Stream->WriteBuffer(line.data(), static_cast<int>(line.size()));
}

void TStructInfoFilter::Member(const std::string& Type, const char* Name, const std::string& Comment)
{
    if (!Printing || !Stream)
        return;
    const std::string line = "   " + Type + " " + AlphaNumOnly(Name) + "; " + Comment + "\n";
    Stream->WriteBuffer(line.data(), static_cast<int>(line.size()));
}

void TStructInfoFilter::FixedSizeLines(int FixedSize)
{
    if (FixedSize < 0)
        return;
    Member("  // following BlockInfo contains NO Size element", "", "");
    Member("  // this blocks size is always " + std::to_string(FixedSize), "", "");
}

short TStructInfoFilter::Read(const char*, TBlockObject*)
{
    return Status;
}

short TStructInfoFilter::Write(const char* Name, TBlockObject* Root)
{
    Writing = true;
    Printing = false;
    TransferObject(Name, Root);
    Printing = true;

    Statement("// each file starts with:");
    Statement("struct TFileInfo {");
    Member("uint", "FileID", "// \"DPF\" for projects, \"DPD\" for devices, \"DPG\" for global data");
    Member("uint", "CordexVersion", "// Cordex version");
    Member("uint", "WriteTime", "// time of write of file");
    Statement("};");
    Statement("");
    Statement("// structures");
    Statement("");
    for (const char* line : {"struct TBlockInfo {", "   union {", "      struct {", "         byte ID;",
                             "         byte BlockOption;", "      };", "      word BigID;", "   };",
                             "   word Size; //size of following block without this header", "};"})
        Statement(line);
    Statement("");
    Statement("// all TBOVector... and TBVVector... contain 0...n elements,");
    Statement("// depending on BlockInfo.Size");
    Statement("");

    for (const auto& [className, object] : Structures) {
        Statement("struct", className, " {");
        FixedSizeLines(object->GetFixedSize());
        Member("TBlockInfo", "BlockInfo", "");
        object->Describe(this);
        Statement("};");
        Statement("");
    }
    return Status;
}

short TStructInfoFilter::Transfer(const char* Name, TBlockValue* Value)
{
    const int size = Value->GetIOSize();
    Member(Value->GetTypeName(), Name,
           size >= 0 ? "// Size: " + std::to_string(size) : "// first byte contains size of following data");
    return Status;
}

short TStructInfoFilter::Scalar(const char* Type, const char* Name)
{
    Member(Type, Name, "");
    return Status;
}

short TStructInfoFilter::Transfer(const char* Name, unsigned char*) { return Scalar("byte", Name); }
short TStructInfoFilter::Transfer(const char* Name, unsigned short*) { return Scalar("word", Name); }
short TStructInfoFilter::Transfer(const char* Name, unsigned int*) { return Scalar("uint", Name); }
short TStructInfoFilter::Transfer(const char* Name, char*) { return Scalar("char", Name); }
short TStructInfoFilter::Transfer(const char* Name, short*) { return Scalar("short", Name); }
short TStructInfoFilter::Transfer(const char* Name, int*) { return Scalar("int", Name); }
short TStructInfoFilter::Transfer(const char* Name, std::int64_t*) { return Scalar("__int64", Name); }
short TStructInfoFilter::Transfer(const char* Name, double*) { return Scalar("double", Name); }
short TStructInfoFilter::Transfer(const char* Name, bool*) { return Scalar("bool", Name); }
short TStructInfoFilter::Transfer(const char* Name, TStream*) { return Scalar("TStream", Name); }

short TStructInfoFilter::TransferObject(const char* Name, TBlockObject*& Obj, unsigned char OptionalID)
{
    // An absent optional member has nothing to collect or print.
    if (!Obj)
        return Status;
    if (!Printing) {
        // A class met twice keeps the later object.
        Structures[Obj->GetClassName()] = Obj;
        Obj->Describe(this);
        return Status;
    }
    Member(Obj->GetClassName(), Name,
           OptionalID != 0 ? "// object is optional, ID = " + std::to_string(OptionalID)
                           : "// object is NOT optional, ID = " + std::to_string(Obj->GetIDByte()));
    return Status;
}

void TStructInfoFilter::BeginSubBlock(TBlockFilter*& Child, const char*, unsigned char& ID, unsigned char&, bool,
                                      int FixedSize, bool BigSize)
{
    Member("// begin of sub block with ID = " + std::to_string(ID), "", "");
    FixedSizeLines(FixedSize);
    if (BigSize) {
        Member("  // the current block is a BigSize block", "", "");
        Member("  // BigSize = Size + (BlockOption << 16)", "", "");
    }
    Member("TBlockInfo", "BlockInfo", "");
    Child = this;
}

void TStructInfoFilter::EndSubBlock(TBlockFilter*& Child)
{
    Member("// end of sub block", "", "");
    Child = this;
}

} // namespace Kvrdata_ns
