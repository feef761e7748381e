#pragma once
// What the data model needs from the program around it: message boxes, the progress bar of the
// progress window, the clock, the login name, the folder for reports and the project tree's node
// captions. The program installs its implementation at start; tests install a recorder.

#include <cstdint>
#include <functional>
#include <string>

namespace kvr::model {

class ModelHost {
public:
    virtual ~ModelHost() = default;

    // The error box: caption "Error", error icon, OK button. The text is already formatted.
    virtual void ShowErrorBox(const std::string& text) = 0;
    // A plain message box; an empty caption means the program's title.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // A warning dialog with an OK button.
    virtual void ShowWarning(const std::string& text) = 0;
    // Position of the progress window's bar.
    virtual void SetProgress(int position) = 0;
    // Seconds since 1970.
    virtual std::uint32_t CurrentTime() = 0;
    // The login name; empty when it cannot be read.
    virtual std::string UserName() = 0;
    // Folder that reports are written to, with a trailing separator (may be empty).
    virtual std::string ReportFolder() = 0;
    // Sets the text of a device's node in the project tree.
    virtual void SetTreeNodeText(void* node, const std::string& text) = 0;
};

// Installs the host (null restores the built-in one, which writes messages to standard error).
void SetModelHost(ModelHost* host);
ModelHost& Host();

// The data model's error box: "Error: %s->%s: %s!", cut to 255 characters.
void ShowError(const std::string& className, const std::string& operation, const std::string& message);

// Program version shared by the data model: major in the top 16 bits, then minor, release, build.
inline constexpr std::uint64_t DefaultProgramVersion = (5ull << 48) | (1ull << 32) | (9ull << 16) | 409ull;
extern std::uint64_t ProgramVersion;

// Trace hook; empty means no tracing.
using TTraceCallback = std::function<void(std::string)>;
extern TTraceCallback TraceCallback;

} // namespace kvr::model
