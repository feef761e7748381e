#include "diagnostics/errmessages.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/platform.h"

namespace {

// Big-endian numbers inside the data bytes; bytes past the end read as 0.
unsigned DataBE16(std::span<const std::uint8_t> Data, std::size_t Offset)
{
    if (Offset + 2 > Data.size())
        return 0;
    return (static_cast<unsigned>(Data[Offset]) << 8) | Data[Offset + 1];
}

std::uint32_t DataBE32(std::span<const std::uint8_t> Data, std::size_t Offset)
{
    return (static_cast<std::uint32_t>(DataBE16(Data, Offset)) << 16) | DataBE16(Data, Offset + 2);
}

int HexDigit(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

// "<hex>:" at the start of a line (blanks and a "0x" allowed before the digits).
bool ParseCode(std::string_view Line, std::uint32_t& Code)
{
    std::size_t i = 0;
    while (i < Line.size() && (Line[i] == ' ' || Line[i] == '\t'))
        ++i;
    if (i + 2 < Line.size() && Line[i] == '0' && (Line[i + 1] == 'x' || Line[i + 1] == 'X') && HexDigit(Line[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < Line.size() && HexDigit(Line[i]) >= 0; ++i, ++digits) {
        value = value * 16 + static_cast<unsigned>(HexDigit(Line[i]));
        if (value > 0xFFFFFFFFull)
            return false;
    }
    if (digits == 0 || i >= Line.size() || Line[i] != ':')
        return false;
    Code = static_cast<std::uint32_t>(value);
    return true;
}

// One conversion of a message line at Line[Pos] == '%'. Returns its length and appends its
// expansion, or returns 0 when it is not a conversion that may be expanded.
std::size_t ExpandConversion(std::string_view Line, std::size_t Pos, const int* Params, int& Used, std::string& Out)
{
    std::size_t i = Pos + 1;
    std::string spec = "%";
    while (i < Line.size() && std::string_view("-+ #0").find(Line[i]) != std::string_view::npos)
        spec += Line[i++];
    auto digits = [&] {
        std::size_t n = 0;
        while (i < Line.size() && Line[i] >= '0' && Line[i] <= '9') {
            spec += Line[i++];
            ++n;
        }
        return n;
    };
    if (digits() > 2)
        return 0;
    if (i < Line.size() && Line[i] == '.') {
        spec += Line[i++];
        if (digits() > 2)
            return 0;
    }
    enum { None, Char, Short } size = None;
    if (i + 1 < Line.size() && Line[i] == 'h' && Line[i + 1] == 'h') {
        size = Char;
        i += 2;
    } else if (i < Line.size() && Line[i] == 'h') {
        size = Short;
        ++i;
    } else if (i + 1 < Line.size() && Line[i] == 'l' && Line[i + 1] == 'l') {
        i += 2;
    } else if (i < Line.size() && std::string_view("ljzt").find(Line[i]) != std::string_view::npos) {
        ++i;
    }
    if (i >= Line.size() || std::string_view("diouxX").find(Line[i]) == std::string_view::npos || Used >= 2)
        return 0;
    const char conversion = Line[i++];
    spec += conversion;
    int value = Params[Used++];
    // The parameters are ints: a length asks only for a narrower or the same value.
    const bool isSigned = conversion == 'd' || conversion == 'i';
    if (size == Char)
        value = isSigned ? static_cast<signed char>(value) : static_cast<unsigned char>(value);
    else if (size == Short)
        value = isSigned ? static_cast<short>(value) : static_cast<unsigned short>(value);
    char buffer[128];
    const int n = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    if (n < 0)
        return 0;
    Out.append(buffer, static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n) : sizeof buffer - 1);
    return i - Pos;
}

} // namespace

ErrorMessages::ErrorMessages(std::string Folder)
{
    if (Folder.empty())
        Folder = kvr::diag::ProgramFolder();
    if (Folder.back() != '/')
        Folder += '/';
    FFileName = Folder + "Err.Err";
    ReadMessageFile();
}

ErrorMessages& ErrorMessages::Instance()
{
    static ErrorMessages instance;
    return instance;
}

std::map<std::uint32_t, std::string> ErrorMessages::ParseMessageText(std::string_view Text)
{
    std::map<std::uint32_t, std::string> result;
    while (!Text.empty()) {
        const std::size_t end = Text.find('\n');
        std::string_view line = Text.substr(0, end);
        Text = end == std::string_view::npos ? std::string_view() : Text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::uint32_t code;
        if (ParseCode(line, code))
            result[code] = std::string(line);
    }
    return result;
}

std::string ErrorMessages::FormatMessageLine(std::string_view Line, int Param1, int Param2)
{
    const int params[2] = {Param1, Param2};
    int used = 0;
    std::string out;
    for (std::size_t i = 0; i < Line.size();) {
        if (Line[i] != '%') {
            out += Line[i++];
        } else if (i + 1 < Line.size() && Line[i + 1] == '%') {
            out += '%';
            i += 2;
        } else if (const std::size_t n = ExpandConversion(Line, i, params, used, out); n != 0) {
            i += n;
        } else {
            out += Line[i++];
        }
    }
    return out;
}

int ErrorMessages::CardModel(int CardType)
{
    static const std::pair<int, int> Models[] = {{0, 0},     {1, 111},   {50, 122},  {70, 222},
                                                 {102, 421}, {103, 422}, {104, 424}, {100, 848},
                                                 {101, 848}, {150, 851}, {11, 311}};
    for (const auto& [type, model] : Models)
        if (type == CardType)
            return model;
    return 0;
}

ErrorMessages::TFileStamp ErrorMessages::CurrentStamp() const
{
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(FFileName, ec);
    if (ec)
        return {};
    const auto size = std::filesystem::file_size(FFileName, ec);
    return {static_cast<std::int64_t>(time.time_since_epoch().count()), ec ? 0 : size};
}

void ErrorMessages::ReadMessageFile()
{
    TKVRFI fi("ErrorMessages::ReadMessageFile");
    std::ifstream in(FFileName, std::ios::binary);
    Messages.clear();
    if (!in) {
        InfoFormatter->Trace(0x4000, "No err.err file available!");
        return;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Messages = ParseMessageText(text);
}

std::string ErrorMessages::GetErrorString(unsigned Code)
{
    TKVRFI fi("ErrorMessages::GetErrorString");
    // One full path for the time and the reading.
    const TFileStamp stamp = CurrentStamp();
    if (!(stamp == FileStamp)) {
        ReadMessageFile();
        FileStamp = stamp;
    }
    auto it = Messages.find(Code);
    return it == Messages.end() ? std::string() : it->second;
}

std::string ErrorMessages::CB2ErrorString(std::uint32_t ID, std::span<const std::uint8_t> Data)
{
    TKVRFI fi("ErrorMessages::CB2ErrorString");
    std::string text = kvr::diag::Format("Module %4d Code ", static_cast<int>(ID & 0xFFFF));
    // Block bytes 10-11 and 12-13, that is data bytes 4-5 and 6-7.
    const int p1 = static_cast<int>(DataBE16(Data, 4));
    int p2 = static_cast<int>(DataBE16(Data, 6));
    std::uint32_t code = 0;
    if ((ID & 0xFFFF0000) == 0x0F100000)
        code = DataBE16(Data, 0);
    else if (ID == 0x9A000002 || ID == 0xFE000002)
        code = DataBE32(Data, 2);
    if (code == 0x110)
        p2 = CardModel(p2);
    if (code == 0x311 && p1 == 0xFFFF)
        return text + "0311: Message: Parameter memory loaded";
    const std::string line = GetErrorString(code);
    if (!line.empty()) {
        text += FormatMessageLine(line, p1, p2);
        InfoFormatter->Trace(0x4001, "Err Code: %04x - Length: %d - Translated String: [%s] ", code,
                             static_cast<int>(line.size()), text.c_str());
    } else {
        InfoFormatter->Trace(0x4001, "Err Code: %04x - UNKOWN", code);
        text += kvr::diag::Format("%4.4x: Parameter1 %d Parameter2 %d", code, p1, p2);
    }
    return text;
}
