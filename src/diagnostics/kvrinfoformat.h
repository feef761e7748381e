#pragma once
// The program-wide diagnostics: numbered messages, trace lines filtered by the "-debug:" mask,
// the log file of "-file:", and the per-thread call stacks of the trace scopes.
//
// Use:
//   TKVRFI fi("TDevice::SetAllData");                    // first statement of an operation
//   InfoFormatter->Trace(0x8005, "sent %d bytes", n);     // a trace line (flags | level)
//   InfoFormatter->ShowMessage(0xA1070011, "YN", arg);    // a numbered message, returns 6/7/...
//   InfoFormatter->RegisterMessages(Table, Count);        // a module's message texts, once
// main() calls InfoFormatter->ParseSwitches(argc, argv) first; the program installs its dialog
// with SetMessagePresenter.

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TKVRInfoWatchDog;

// One entry of a module's message table: the code and a static printf text (kept by pointer).
struct TInfoMessage {
    std::uint32_t MessageCode;
    const char* MessageText;
};

// Flag bits of a trace level; the low byte is the message level (0 most serious).
enum TKVRTraceFlags : unsigned {
    tfProtocol = 0x0100,
    tfCallStack = 0x0200,
    tfPaint = 0x0400,
    tfSelection = 0x0800,
    tfTypeCast = 0x1000,
    tfMessageGenerator = 0x2000,
    tfDeviceMessages = 0x4000,
    tfCommunication = 0x8000,
};

// Modal results of message buttons.
enum TKVRModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrYes = 6, mrNo = 7 };

// Shows a numbered message and returns the modal result of the pressed button. Kind is
// code >> 29 (1 Warning, 3 Confirmation, 4 Information, 5 Error). A presenter that cannot show
// the message throws; ShowMessage then returns 0.
using TMessagePresenter =
    std::function<int(int Kind, const std::string& Text, unsigned Code, const std::string& Buttons)>;

// The result a button string gives when the default button is taken: the button marked with
// "!", else the first button; the empty string is one OK button.
int DefaultModalResult(const std::string& Buttons);

// The default presenter: writes the message to stderr and answers with the default button.
int StderrMessagePresenter(int Kind, const std::string& Text, unsigned Code, const std::string& Buttons);

// How a formatter meets the system; tests replace parts.
struct TKVRFormatterSetup {
    std::string ProgramFolder;      // where log files go; "" = folder of the executable
    std::string FallbackLogFolder;  // used when ProgramFolder is not writable; "" = per-user folder
    std::uint32_t ProcessId = 0;    // 0 = this process
    bool DebuggerPresent = false;   // with a debugger there is no watchdog thread
    std::chrono::milliseconds WatchdogPeriod{1000};
    std::function<void(const std::string&)> DebugOutput;           // "" = stderr
    std::function<std::chrono::system_clock::time_point()> Now;    // "" = system clock
    TMessagePresenter Presenter;                                   // "" = stderr

    // The running program's setup (program folder, process, debugger).
    static TKVRFormatterSetup System();
};

class TKVRInfoFormatter {
public:
    explicit TKVRInfoFormatter(TKVRFormatterSetup Setup);
    ~TKVRInfoFormatter();
    TKVRInfoFormatter(const TKVRInfoFormatter&) = delete;
    TKVRInfoFormatter& operator=(const TKVRInfoFormatter&) = delete;

    // The program's one formatter, built on first use and stopped at exit.
    static TKVRInfoFormatter& Instance();

    // Reads "-debug:", "-debughelp", "-csdepth:" and "-file:" from the parameters after the
    // program path. "-debughelp" shows the help and ends the process with exit code 0.
    void ParseSwitches(int Argc, const char* const* Argv);
    void ParseSwitches(int Argc, char** Argv) { ParseSwitches(Argc, const_cast<const char* const*>(Argv)); }

    bool RegisterMessages(const TInfoMessage* Table, int Count);
    std::string GetMessageText(unsigned Code, ...);
    std::string VGetMessageText(unsigned Code, va_list Args);
    std::string GetCodedMessageText(unsigned Code, ...);
    int ShowMessage(unsigned Code, const char* Buttons, ...);
    int VShowMessage(unsigned Code, const char* Buttons, va_list Args);
    void SetMessagePresenter(TMessagePresenter Presenter);

    void Trace(unsigned Level, const char* Fmt, ...) __attribute__((format(printf, 3, 4)));
    void TraceText(unsigned Level, const char* Text);
    // True when a line of Level passes the mask.
    bool Passes(unsigned Level) const;

    // Call stacks of the trace scopes.
    void PushFunction(const char* Name);
    void PopFunction();
    std::string FormatPrefix(char Marker, const char* Name);
    // Traces the open scopes of every thread (the dead-lock report).
    void DumpThreadStacks();
    // Number of items recorded and scopes open on the calling thread.
    std::size_t StackItemCount();
    unsigned StackDepth();

    // Writes the buffered lines to the current log file.
    void SaveStrings();
    // The log file name for a running number, with its folder (today's date).
    std::string LogFileName(int Index);
    // Traces "RUNTIME PROTOCOL STOPPED", stops the watchdog and writes the last lines. Later
    // traces are dropped. The destructor calls it; the global instance runs it at exit.
    void Shutdown();

    unsigned Mask() const { return FMask.load(std::memory_order_relaxed); }
    unsigned MaxDepth() const { return FMaxDepth; }
    const std::string& FilePrefix() const { return FFilePrefix; }
    const std::string& LogFolder() const { return FLogFolder; }
    bool HasWatchDog() const { return WatchDog != nullptr; }

private:
    struct TKVRStackItem {
        const char* FunctionName;
        std::int64_t StartCount;
    };
    struct TKVRThreadStack {
        std::vector<TKVRStackItem> Items;
        std::uint32_t Depth = 0;
    };

    static std::int64_t Counter();
    TKVRThreadStack& ThreadStack(); // StackLock held
    void OutputLine(const std::string& Text, std::int64_t Count);
    std::string NextLogFileName(); // LogLock held
    std::string Stamp(std::int64_t Count) const;
    std::string HelpText() const;

    TKVRFormatterSetup Setup;
    std::atomic<unsigned> FMask{0};
    std::map<std::int32_t, const char*> Messages;
    std::map<std::uint32_t, TKVRThreadStack> ThreadStacks;
    unsigned FMaxDepth = 50;
    std::uint32_t StartMicros = 0;
    std::string Buffer;
    std::int64_t TicksPerMs = 1;
    std::int64_t CounterFrequency = 1;
    std::int64_t CounterAtStart = 0;
    std::recursive_mutex StackLock;
    std::recursive_mutex LogLock;
    std::unique_ptr<TKVRInfoWatchDog> WatchDog;
    std::string FFilePrefix;
    std::string FLogFolder;
    std::string LastLine;
    int RepeatCount = 0;
    int LogIndex = 0;
    bool Stopped = false;
    std::mutex PresenterLock;
};

// Access to the global formatter as InfoFormatter->Trace(...). Built on first use, so it is
// safe from static initialisation on.
struct TKVRInfoFormatterAccess {
    TKVRInfoFormatter* operator->() const { return &TKVRInfoFormatter::Instance(); }
    TKVRInfoFormatter& operator*() const { return TKVRInfoFormatter::Instance(); }
};
inline constexpr TKVRInfoFormatterAccess InfoFormatter{};

// A trace scope: the first local of an operation, named "Class::Operation" by a string literal.
// While call-stack tracing (0x200) is off it costs one bit test.
class TKVRFI {
public:
    explicit TKVRFI(const char* FunctionName)
        : TKVRFI(TKVRInfoFormatter::Instance(), FunctionName)
    {
    }
    TKVRFI(TKVRInfoFormatter& On, const char* FunctionName)
        : Formatter(On)
    {
        if (Formatter.Mask() & tfCallStack)
            Formatter.PushFunction(FunctionName);
    }
    ~TKVRFI()
    {
        if (Formatter.Mask() & tfCallStack)
            Formatter.PopFunction();
    }
    TKVRFI(const TKVRFI&) = delete;
    TKVRFI& operator=(const TKVRFI&) = delete;

private:
    TKVRInfoFormatter& Formatter;
};
