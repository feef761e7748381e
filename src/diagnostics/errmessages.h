#pragma once
// Readable texts of device error reports, from the replaceable message file "Err.Err" beside the
// program: one message per line, "<hex code>:<text>", the whole line formatted with the report's
// two parameters. The file is read again when it changes.

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>

class ErrorMessages {
public:
    // Reads Folder + "Err.Err"; the default folder is the program's.
    explicit ErrorMessages(std::string Folder = {});

    // The program's table.
    static ErrorMessages& Instance();

    void ReadMessageFile();
    // The message line of Code without its line end; empty when the file has none.
    std::string GetErrorString(unsigned Code);
    // The text of an error block: ID and data bytes (the block's bytes from 6 on).
    std::string CB2ErrorString(std::uint32_t ID, std::span<const std::uint8_t> Data);
    // The same for a control block record (fields ID and Data).
    template <class TBlock>
    std::string CB2ErrorString(const TBlock& Block)
    {
        return CB2ErrorString(Block.ID, std::span<const std::uint8_t>(Block.Data));
    }

    const std::string& FileName() const { return FFileName; }

    // The lines of a message file by code; a later line of the same code wins.
    static std::map<std::uint32_t, std::string> ParseMessageText(std::string_view Text);
    // Formats a message line with the two parameters. Only integer conversions (flags, width and
    // precision up to 99, length) of the first two parameters and "%%" are expanded; any other
    // conversion is printed as it stands, so a line can never read what is not there.
    static std::string FormatMessageLine(std::string_view Line, int Param1, int Param2);
    // The card model number of a card type (0 when unknown).
    static int CardModel(int CardType);

private:
    struct TFileStamp {
        std::int64_t Time = -1; // -1: no file
        std::uintmax_t Size = 0;
        bool operator==(const TFileStamp&) const = default;
    };
    TFileStamp CurrentStamp() const;

    std::string FFileName;
    std::map<std::uint32_t, std::string> Messages;
    TFileStamp FileStamp;
};
