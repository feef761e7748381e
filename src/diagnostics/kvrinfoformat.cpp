#include "diagnostics/kvrinfoformat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "diagnostics/kvrinfowatchdog.h"
#include "diagnostics/platform.h"

namespace {

const TInfoMessage FormatterMessages[] = {
    {0xA1000006, "Could not create the message form."},
    {0xA1000005, "An empty message list was assigned."},
    {0x81000002, "Severity: %u\nType: %u\nModule: %u\nCode: %u"},
    {0xA1000007, "Duplicate message %x:\n\nold text: %s\n\nnew text: %s"},
    {0x81000004,
     "Help on integrated debug message output engine\n\nUsage:\t <appname> -debug:<flags> [-csdepth:<depth>] "
     "[-file:<file>]\n\n<appname>:\t path and name of executable file\n<flags>:\t combination of flags and "
     "message level\n<depth>:\t max. call stack depth to display, 1-255\n\t if not available the message level "
     "will be used\n<file>:\t Save output to file <file>-<date>-<nr>.log\n\nAvailable flags:\n0x0200\t enable "
     "call stack tracing\n0x0400\t enable controls paint tracing\n0x0800\t enable controls node/item selection "
     "tracing\n0x1000\t enable data layer type cast debug messages\n0x2000\t enable message generator debug "
     "messages \n\n0x4000\t enable KX7300 device message translator tracing \n\n0x8000\t enable communication "
     "tracing \n\nMessage level range : 0-255, 0 = only most serious messages, 255 = all messages\n\n"},
};

const TInfoMessage StackMessages[] = {
    {0x43000001, "%s +"},
    {0x43000002, "%s -"},
    {0xA1000001, "%s"},
};

const char* const SeverityNames[8] = {"COMMON", "CRIT  ", "ERROR ", "WARN  ", "INFO  ", "DEBUG ", "DEBUG ", "DEBUG "};

constexpr const char* AllowedPrefixChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-#~$!";
constexpr std::size_t FlushThreshold = 32768;
constexpr std::uintmax_t MaxLogFileSize = 10000000;

// A switch value: decimal, or hexadecimal after "$", "x" or "0x"; anything unreadable gives 0.
unsigned ReadSwitchNumber(const std::string& Text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+'))
        negative = Text[i++] == '-';
    int base = 10;
    if (i < Text.size() && Text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < Text.size() && (Text[i] == 'x' || Text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < Text.size() && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= Text.size())
        return 0;
    std::uint64_t value = 0;
    for (; i < Text.size(); ++i) {
        const char c = Text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        // Decimal values are 32-bit signed numbers, hexadecimal ones any 32-bit pattern.
        if (value > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull))
            return 0;
    }
    if (base == 10 && !negative && value > 0x7FFFFFFFull)
        return 0;
    return negative ? static_cast<unsigned>(0u - static_cast<unsigned>(value)) : static_cast<unsigned>(value);
}

// The value of a switch: from the fixed position behind the switch, or empty when the parameter
// is shorter.
std::string SwitchValue(const std::string& Param, std::size_t Position)
{
    return Param.size() > Position ? Param.substr(Position) : std::string();
}

bool IsStackLine(const char* Text)
{
    for (int i = 0; i < 13; ++i)
        if (Text[i] == '\0')
            return false;
    return Text[13] == '+' || Text[13] == '-';
}

void DeleteFile(const std::string& Name)
{
    std::error_code ec;
    std::filesystem::remove(Name, ec);
}

} // namespace

int DefaultModalResult(const std::string& Buttons)
{
    auto resultOf = [](char Letter) {
        switch (Letter) {
        case 'A': return static_cast<int>(mrAbort);
        case 'C': return static_cast<int>(mrCancel);
        case 'N': return static_cast<int>(mrNo);
        case 'O': return static_cast<int>(mrOk);
        case 'R': return static_cast<int>(mrRetry);
        case 'Y': return static_cast<int>(mrYes);
        default: return 0;
        }
    };
    for (std::size_t i = 0; i + 1 < Buttons.size(); ++i)
        if (Buttons[i] == '!' && resultOf(Buttons[i + 1]) != 0)
            return resultOf(Buttons[i + 1]);
    for (char c : Buttons)
        if (resultOf(c) != 0)
            return resultOf(c);
    return mrOk;
}

int StderrMessagePresenter(int Kind, const std::string& Text, unsigned Code, const std::string& Buttons)
{
    static const char* const Captions[8] = {"Message", "Warning", "Message", "Confirmation",
                                            "Information", "Error", "Message", "Message"};
    std::fprintf(stderr, "%s %08X: %s\n", Captions[Kind & 7], Code, Text.c_str());
    std::fflush(stderr);
    return DefaultModalResult(Buttons);
}

TKVRFormatterSetup TKVRFormatterSetup::System()
{
    TKVRFormatterSetup s;
    s.DebuggerPresent = kvr::diag::DebuggerPresent();
    return s;
}

TKVRInfoFormatter::TKVRInfoFormatter(TKVRFormatterSetup Init)
    : Setup(std::move(Init))
{
    if (Setup.ProgramFolder.empty())
        Setup.ProgramFolder = kvr::diag::ProgramFolder();
    if (Setup.ProgramFolder.back() != '/')
        Setup.ProgramFolder += '/';
    if (Setup.ProcessId == 0)
        Setup.ProcessId = kvr::diag::CurrentProcessId();
    if (!Setup.DebugOutput)
        Setup.DebugOutput = kvr::diag::WriteDebugOutput;
    if (!Setup.Now)
        Setup.Now = [] { return std::chrono::system_clock::now(); };

    CounterFrequency = std::chrono::steady_clock::period::den / std::chrono::steady_clock::period::num;
    CounterAtStart = Counter();
    StartMicros = static_cast<std::uint32_t>(kvr::diag::ToLocal(Setup.Now()).Micro);
    RegisterMessages(FormatterMessages, 5);
    RegisterMessages(StackMessages, 3);
    TicksPerMs = CounterFrequency / 1000;
    if (!Setup.DebuggerPresent)
        WatchDog = std::make_unique<TKVRInfoWatchDog>(&LogLock, [this] { SaveStrings(); }, Setup.WatchdogPeriod,
                                                      [this] {
                                                          Trace(0x101, "Possible dead lock situation detected");
                                                          DumpThreadStacks();
                                                      });
}

TKVRInfoFormatter::~TKVRInfoFormatter()
{
    Shutdown();
}

TKVRInfoFormatter& TKVRInfoFormatter::Instance()
{
    // Never destroyed: static objects may still trace while the program ends. Its protocol is
    // closed and its thread stopped at exit; later traces are dropped.
    static TKVRInfoFormatter* const instance = [] {
        auto* f = new TKVRInfoFormatter(TKVRFormatterSetup::System());
        std::atexit([] { TKVRInfoFormatter::Instance().Shutdown(); });
        return f;
    }();
    return *instance;
}

void TKVRInfoFormatter::ParseSwitches(int Argc, const char* const* Argv)
{
    unsigned mask = FMask.load();
    bool fileGiven = false;
    for (int i = 1; i < Argc; ++i) {
        if (Argv[i] == nullptr)
            continue;
        const std::string param = Argv[i];
        if (param.find("-debug:") != std::string::npos)
            mask = ReadSwitchNumber(SwitchValue(param, 7));
        if (param.find("-debughelp") != std::string::npos) {
            ShowMessage(0x81000004, "");
            std::exit(0);
        }
        if (param.find("-csdepth:") != std::string::npos)
            FMaxDepth = ReadSwitchNumber(SwitchValue(param, 9));
        if (param.find("-file:") != std::string::npos) {
            FFilePrefix = SwitchValue(param, 6);
            for (char& c : FFilePrefix)
                if (std::strchr(AllowedPrefixChars, c) == nullptr)
                    c = '_';
            fileGiven = true;
        }
    }
    // A log file always records the protocol lines, also when "-debug:" comes after "-file:".
    if (fileGiven)
        mask |= tfProtocol;
    FMaxDepth &= 0xFF;

    // One folder for every test, deletion and write of the log files.
    bool fallback = false;
    if (!FFilePrefix.empty()) {
        FLogFolder = Setup.ProgramFolder;
        if (!kvr::diag::FolderWritable(FLogFolder)) {
            const std::string other =
                Setup.FallbackLogFolder.empty() ? kvr::diag::UserLogFolder() : Setup.FallbackLogFolder;
            if (!other.empty()) {
                FLogFolder = other.back() == '/' ? other : other + '/';
                fallback = true;
            }
        }
    }

    FMask = mask;
    if (mask != 0) {
        Trace(tfProtocol, "RUNTIME PROTOCOL STARTET");
        Trace(tfProtocol, "MessageLevel = <%08X>", mask);
        if (!FFilePrefix.empty())
            Trace(tfProtocol, "Logging to file: %s", FFilePrefix.c_str());
        if (fallback)
            Trace(tfProtocol, "Program folder %s not writable, log files go to %s", Setup.ProgramFolder.c_str(),
                  FLogFolder.c_str());
    }
    if (mask & tfCallStack) {
        Trace(tfCallStack, "Trace calls enabled.");
        Trace(tfCallStack, "Timer accuracy = %3.3f \xC2\xB5s", 1000000.0 / static_cast<double>(CounterFrequency));
        Trace(tfCallStack, "Max. depth: %d", static_cast<int>(FMaxDepth));
    }
}

bool TKVRInfoFormatter::RegisterMessages(const TInfoMessage* Table, int Count)
{
    if (Table == nullptr || Count <= 0) {
        ShowMessage(0xA1000005, "");
        return false;
    }
    struct Duplicate {
        std::uint32_t Code;
        const char* Old;
        const char* New;
    };
    std::vector<Duplicate> duplicates;
    {
        std::lock_guard lock(StackLock);
        for (int i = 0; i < Count; ++i) {
            const auto key = static_cast<std::int32_t>(Table[i].MessageCode);
            const char* text = Table[i].MessageText ? Table[i].MessageText : "";
            auto it = Messages.find(key);
            if (it != Messages.end() && std::strcmp(it->second, text) != 0)
                duplicates.push_back({Table[i].MessageCode, it->second, text});
            Messages[key] = text;
        }
    }
    // Shown after leaving the lock: a dialog must not hold up the tracing of other threads.
    for (const auto& d : duplicates)
        ShowMessage(0xA1000007, "", d.Code, d.Old, d.New);
    return true;
}

std::string TKVRInfoFormatter::VGetMessageText(unsigned Code, va_list Args)
{
    const char* text = nullptr;
    {
        std::lock_guard lock(StackLock);
        auto it = Messages.find(static_cast<std::int32_t>(Code));
        if (it != Messages.end())
            text = it->second;
    }
    if (text == nullptr)
        return "Unknown error";
    std::string result;
    if (!kvr::diag::VFormatTo(result, text, Args))
        return text;
    return result;
}

std::string TKVRInfoFormatter::GetMessageText(unsigned Code, ...)
{
    va_list args;
    va_start(args, Code);
    std::string text = VGetMessageText(Code, args);
    va_end(args);
    return text;
}

std::string TKVRInfoFormatter::GetCodedMessageText(unsigned Code, ...)
{
    va_list args;
    va_start(args, Code);
    std::string text = kvr::diag::Format("%08X: ", Code) + VGetMessageText(Code, args);
    va_end(args);
    return text;
}

void TKVRInfoFormatter::SetMessagePresenter(TMessagePresenter Presenter)
{
    std::lock_guard lock(PresenterLock);
    Setup.Presenter = std::move(Presenter);
}

int TKVRInfoFormatter::VShowMessage(unsigned Code, const char* Buttons, va_list Args)
{
    const std::string text = VGetMessageText(Code, Args);
    const std::string buttons = Buttons ? Buttons : "";
    TMessagePresenter presenter;
    {
        std::lock_guard lock(PresenterLock);
        presenter = Setup.Presenter;
    }
    try {
        const int kind = static_cast<int>((Code >> 29) & 7);
        return presenter ? presenter(kind, text, Code, buttons) : StderrMessagePresenter(kind, text, Code, buttons);
    } catch (...) {
        Setup.DebugOutput(GetCodedMessageText(0xA1000006));
        return 0;
    }
}

int TKVRInfoFormatter::ShowMessage(unsigned Code, const char* Buttons, ...)
{
    va_list args;
    va_start(args, Buttons);
    const int result = VShowMessage(Code, Buttons, args);
    va_end(args);
    return result;
}

bool TKVRInfoFormatter::Passes(unsigned Level) const
{
    const unsigned mask = Mask();
    return (Level & mask & 0xFFFFFF00u) != 0 && (Level & 0xFFu) <= (mask & 0xFFu);
}

void TKVRInfoFormatter::Trace(unsigned Level, const char* Fmt, ...)
{
    if (!Passes(Level) || Fmt == nullptr)
        return;
    const std::int64_t count = Counter();
    std::lock_guard lock(StackLock);
    std::string body;
    va_list args;
    va_start(args, Fmt);
    const bool ok = kvr::diag::VFormatTo(body, Fmt, args);
    va_end(args);
    if (!ok) {
        Setup.DebugOutput("InfoFormatter:: Error while formatting the message!");
        return;
    }
    if (!IsStackLine(Fmt))
        body.insert(0, FormatPrefix(' ', SeverityNames[Level & 7]));
    OutputLine(body, count);
}

void TKVRInfoFormatter::TraceText(unsigned Level, const char* Text)
{
    if (!Passes(Level) || Text == nullptr)
        return;
    const std::int64_t count = Counter();
    std::lock_guard lock(StackLock);
    if (IsStackLine(Text))
        OutputLine(Text, count);
    else
        OutputLine(FormatPrefix(' ', SeverityNames[Level & 7]) + Text, count);
}

std::int64_t TKVRInfoFormatter::Counter()
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

TKVRInfoFormatter::TKVRThreadStack& TKVRInfoFormatter::ThreadStack()
{
    return ThreadStacks[kvr::diag::CurrentThreadId()];
}

void TKVRInfoFormatter::PushFunction(const char* Name)
{
    const unsigned mask = Mask();
    if ((mask & tfCallStack) == 0)
        return;
    std::lock_guard lock(StackLock);
    TKVRThreadStack& stack = ThreadStack();
    const std::uint32_t d = stack.Depth++;
    if (d > FMaxDepth)
        return;
    stack.Items.push_back({Name, Counter()});
    if ((mask & 0xFF) >= 5)
        TraceText(mask, (FormatPrefix('+', "STACK") + " " + (Name ? Name : "")).c_str());
}

void TKVRInfoFormatter::PopFunction()
{
    const unsigned mask = Mask();
    if ((mask & tfCallStack) == 0)
        return;
    std::lock_guard lock(StackLock);
    TKVRThreadStack& stack = ThreadStack();
    if (stack.Depth > 0) // a pop without its push (the mask changed at shutdown) counts nothing
        --stack.Depth;
    if (stack.Depth > FMaxDepth || stack.Items.empty())
        return;
    if ((mask & 0xFF) >= 5) {
        const TKVRStackItem item = stack.Items.back();
        const std::int64_t ms = (Counter() - item.StartCount) / TicksPerMs;
        std::string text = FormatPrefix('-', "STACK") + " " + (item.FunctionName ? item.FunctionName : "") + "  (" +
                           std::to_string(ms) + "ms)";
        stack.Items.pop_back();
        TraceText(mask, text.c_str());
    } else {
        stack.Items.pop_back();
    }
}

std::string TKVRInfoFormatter::FormatPrefix(char Marker, const char* Name)
{
    const std::uint32_t id = kvr::diag::CurrentThreadId();
    std::size_t n;
    {
        std::lock_guard lock(StackLock);
        n = ThreadStack().Items.size();
    }
    if (n == 0)
        return kvr::diag::Format("<%04x> %s", id & 0xFFFF, Name);
    return kvr::diag::Format("<%04x> %s %s", id & 0xFFFF, Name, std::string(n, Marker).c_str());
}

std::size_t TKVRInfoFormatter::StackItemCount()
{
    std::lock_guard lock(StackLock);
    return ThreadStack().Items.size();
}

unsigned TKVRInfoFormatter::StackDepth()
{
    std::lock_guard lock(StackLock);
    return ThreadStack().Depth;
}

void TKVRInfoFormatter::DumpThreadStacks()
{
    Trace(0x101, "current thread states:");
    std::lock_guard lock(StackLock);
    const std::int64_t now = Counter();
    for (const auto& [id, stack] : ThreadStacks) {
        if (stack.Items.empty())
            continue;
        std::string line = kvr::diag::Format("ThreadID: %04x - ", id & 0xFFFF);
        for (const auto& item : stack.Items)
            line += std::string(item.FunctionName ? item.FunctionName : "") + "(" +
                    std::to_string((now - item.StartCount) / TicksPerMs) + "ms) ->";
        TraceText(0x101, line.c_str());
    }
}

std::string TKVRInfoFormatter::Stamp(std::int64_t Count) const
{
    const kvr::diag::LocalDateTime now = kvr::diag::ToLocal(Setup.Now());
    // Seconds from the wall clock, microseconds from the counter.
    const auto micros = static_cast<std::int64_t>(static_cast<double>(Count - CounterAtStart) /
                                                  (static_cast<double>(CounterFrequency) * 0.000001));
    const long long field = (micros + StartMicros) % 1000000;
    return kvr::diag::Format("%04d%02d%02d-%02d%02d%02d.%06lld", now.Year, now.Month, now.Day, now.Hour, now.Minute,
                             now.Second, field);
}

void TKVRInfoFormatter::OutputLine(const std::string& Text, std::int64_t Count)
{
    if (FFilePrefix.empty()) {
        Setup.DebugOutput(Text);
        return;
    }
    std::lock_guard lock(LogLock);
    if (Text == LastLine) {
        ++RepeatCount;
        return;
    }
    const std::string stamp = Stamp(Count);
    if (RepeatCount != 0) {
        Buffer += stamp + " Last Message repeated " + std::to_string(RepeatCount) + " times\n";
        RepeatCount = 0;
    }
    Buffer += stamp;
    Buffer += ' ';
    Buffer += Text;
    Buffer += '\n';
    LastLine = Text;
    if (Buffer.size() > FlushThreshold) {
        if (WatchDog)
            WatchDog->SetEvent();
        else
            SaveStrings();
    }
}

std::string TKVRInfoFormatter::LogFileName(int Index)
{
    const kvr::diag::LocalDateTime today = kvr::diag::ToLocal(Setup.Now());
    const std::string date = kvr::diag::Format("%04d-%02d-%02d", today.Year, today.Month, today.Day);
    return FLogFolder + kvr::diag::Format("%s-%s-%04d-%04d.log", FFilePrefix.c_str(), date.c_str(), Index,
                                          static_cast<int>(Setup.ProcessId & 0xFFFF));
}

std::string TKVRInfoFormatter::NextLogFileName()
{
    if (LogIndex >= 100)
        for (int i = LogIndex - 100; i <= LogIndex - 81; ++i)
            DeleteFile(LogFileName(i));
    const auto start = std::chrono::steady_clock::now();
    do {
        const std::string name = LogFileName(LogIndex);
        std::error_code ec;
        const auto size = std::filesystem::file_size(name, ec);
        if (ec || size <= MaxLogFileSize)
            return name;
        ++LogIndex;
    } while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1000));
    return {};
}

void TKVRInfoFormatter::SaveStrings()
{
    std::lock_guard lock(LogLock);
    if (Buffer.empty())
        return;
    const std::string name = NextLogFileName();
    if (name.empty()) {
        Buffer.clear();
        return;
    }
    std::FILE* file = std::fopen(name.c_str(), "ab");
    if (file == nullptr) {
        Setup.DebugOutput("TKVRInfoFormatter::SaveStrings : Unable to write to Log File!");
        return;
    }
    const bool written = std::fwrite(Buffer.data(), 1, Buffer.size(), file) == Buffer.size();
    if (std::fclose(file) != 0 || !written) {
        Setup.DebugOutput("TKVRInfoFormatter::SaveStrings : Unable to write to Log File!");
        return;
    }
    Buffer.clear();
}

void TKVRInfoFormatter::Shutdown()
{
    {
        std::lock_guard lock(StackLock);
        if (Stopped)
            return;
        Stopped = true;
    }
    Trace(tfProtocol, "RUNTIME PROTOCOL STOPPED");
    FMask = 0;
    // Taken away under the log lock: a line still being output on another thread then sees
    // either the running watchdog or none (and saves itself), never one being destroyed.
    std::unique_ptr<TKVRInfoWatchDog> watchDog;
    {
        std::lock_guard lock(LogLock);
        watchDog = std::move(WatchDog);
    }
    if (watchDog)
        watchDog->Stop(); // writes the buffer one last time
    // Also the lines another thread was still putting out when the watchdog stopped.
    SaveStrings();
}
