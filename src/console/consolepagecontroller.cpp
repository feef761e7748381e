#include "console/consolepagecontroller.h"

#include "console/audiosourcefollow.h"
#include "console/consolehost.h"
#include "console/keycaption.h"
#include "console/consoleimage.h"
#include "console/moduleclipboard.h"
#include "console/modulepainter.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/keyrecords.h"
#include "platform/currentprompter.h"
#include "platform/text1252.h"

namespace kvr::console {

namespace {

constexpr double kConsoleHeight = 5100;

ConsoleImageGeometry GeometryOf(const ConsoleEditorState& state)
{
    ConsoleImageGeometry g;
    g.ModuleWidthPx = state.ModuleWidthPx;
    g.UpperRowHeightPx = state.UpperRowHeightPx;
    g.LowerRowHeightPx = state.LowerRowHeightPx;
    g.Scale = (g.LowerRowHeightPx + g.UpperRowHeightPx) / kConsoleHeight;
    return g;
}

QString Q(const std::string& text)
{
    return platform::fromCp1252(text);
}

void Tell(const ClipboardRefusal& refusal)
{
    if (refusal.ErrorDialog)
        platform::prompter().messageBox(Q(refusal.Text), "Error", platform::Buttons::Ok, platform::Icon::Error);
    else
        platform::prompter().showMessage(Q(refusal.Text));
}

bool AskYesNo(const std::string& question)
{
    return platform::prompter().messageBox(Q(question), "Confirmation", platform::Buttons::YesNo,
                                           platform::Icon::Question) == platform::Answer::Yes;
}

} // namespace

PageGroups GroupsOf(int pageMode)
{
    switch (pageMode) {
    case pmKeys: return {true, true, false, false, false};
    case pmConsole: return {false, false, true, true, false};
    default: return {false, true, false, false, true};
    }
}

ConsolePageController::ConsolePageController(ConsoleEditorState& state, ModuleClipboard& clipboard, ConsoleHost& host)
    : state_(state), clipboard_(clipboard), host_(host)
{
}

model::TDevice* ConsolePageController::Device() const
{
    return host_.CurrentDevice();
}

bool ConsolePageController::StudioPanelConsole() const
{
    const model::TDevice* device = Device();
    return device && HasStudioPanel(*device, state_.SelectedConsole);
}

void ConsolePageController::Show()
{
    model::TDevice* device = Device();
    if (!device)
        return;
    int modules = 0;
    model::ForEachModuleSlot([&](std::uint8_t slot) { modules += !device->GetSetupData(slot).empty(); });
    state_.PageShown();
    tabs_ = ConsoleTabs(*device);
    SetPageMode(modules > 0 ? pmKeys : pmConsole);
    host_.ShowModule();
}

void ConsolePageController::Hide()
{
    state_.PageHidden();
}

bool ConsolePageController::AddConsoleEnabled() const
{
    return static_cast<int>(tabs_.size()) < kMaxConsoles;
}

void ConsolePageController::SetPageMode(int pageMode)
{
    state_.SelectedKey = -1;
    state_.PointerKey = -1;
    state_.PageMode = pageMode;
    if (pageMode != pmConsole)
        host_.ShowModule();
}

void ConsolePageController::ChangeConsole(int console)
{
    state_.ConsoleChanged(console);
    host_.ShowModule();
}

void ConsolePageController::Draw(gfx::Canvas& canvas, int width, int height)
{
    // The gauges follow the changes, not every repaint: a repaint changes nothing to count.
    if (model::TDevice* device = Device())
        DrawConsole(canvas, width, height, *device, state_, host_.Log());
}

void ConsolePageController::PaintSelectedModule(gfx::Canvas& canvas, float s)
{
    model::TDevice* device = Device();
    if (!device || !IsSlotPosition(state_.SelectedSlot))
        return;
    const std::uint8_t flags = kFaceDetailed | kFaceSelected | (state_.PageMode == pmAuthorisation ? kFaceAccessView : 0);
    PaintModule(0, 0, canvas, flags, s, ModuleSlotID(state_.SelectedConsole, state_.SelectedSlot),
                {*device, state_.SelectedKey, host_.Log()});
}

void ConsolePageController::PointerMove(int x, int y)
{
    const model::TDevice* device = Device();
    if (!device)
        return;
    const auto g = GeometryOf(state_);
    state_.PointerSlot = ConsoleSlotAt(g, x, y, StudioPanelConsole());
    if (state_.PageMode == pmConsole) {
        state_.PointerKey = -1;
        return;
    }
    const auto entry = ModuleEntryAt(*device, state_.SelectedConsole, state_.PointerSlot);
    if (!entry.empty())
        state_.PointerKey = HitTestConsoleModule(g, state_.PointerSlot, x, y, model::ModuleType(entry));
}

bool ConsolePageController::WarnUncoloured(bool faderModule)
{
    KeyRecordView key(state_.SelectedKeyRecord);
    if (faderModule || state_.PointerKey == state_.SelectedKey || key.Text().empty() || (key.Colours() & 0xF0) != 0 ||
        key.Function() == 4)
        return false;
    platform::prompter().showMessage("Warning! For the selected button no color was selected!");
    return true;
}

void ConsolePageController::LoadKey()
{
    model::TDevice* device = Device();
    state_.SelectedKeyRecord = {};
    if (!device || state_.SelectedKey < 0 || !IsSlotPosition(state_.SelectedSlot))
        return;
    KeyRecordView(state_.SelectedKeyRecord).Key() = static_cast<std::uint8_t>(state_.SelectedKey);
    // Selecting a key reads it; a missing shared table is made only when a key is written.
    model::ReadKeyFunction(*device, state_.SelectedKey, state_.SelectedKeyRecord,
                          ModuleSlotID(state_.SelectedConsole, state_.SelectedSlot));
}

bool ConsolePageController::Press(int x, int y, bool leftButton, bool& dragAllowed)
{
    dragAllowed = false;
    const model::TDevice* device = Device();
    if (!device || WarnUncoloured(false))
        return false;
    state_.PointerSlot = ConsoleSlotAt(GeometryOf(state_), x, y, StudioPanelConsole());
    state_.SelectedSlot = state_.PointerSlot;
    state_.SelectedModule = ModuleEntryAt(*device, state_.SelectedConsole, state_.SelectedSlot);
    dragAllowed = state_.PageMode == pmConsole && leftButton && state_.SelectedSlot >= 0;
    state_.SelectedKey = state_.PageMode == pmConsole ? -1 : state_.PointerKey;
    LoadKey();
    host_.ShowModule();
    return true;
}

void ConsolePageController::ModulePointerMove(int element)
{
    state_.PointerKey = element;
}

bool ConsolePageController::PressModuleKey(int element)
{
    // The press's own point decides, whatever the pointer crossed before it.
    state_.PointerKey = element;
    if (WarnUncoloured(IsIn(FaderModuleTypes, state_.SelectedModuleType())))
        return false;
    state_.SelectedKey = element;
    LoadKey();
    host_.ShowModule();
    return true;
}

ModulePanelView ConsolePageController::Panel()
{
    model::TDevice* device = Device();
    return device ? ShowModule(state_, *device) : ModulePanelView{};
}

void ConsolePageController::DisplayTextChanged(int item)
{
    if (model::TDevice* device = Device())
        console::DisplayTextChanged(state_, *device, item);
}

void ConsolePageController::ZeroDbClicked(bool ticked)
{
    if (model::TDevice* device = Device())
        console::ZeroDbClicked(state_, *device, ticked);
}

void ConsolePageController::InvertFaderClicked(bool ticked)
{
    if (model::TDevice* device = Device())
        console::InvertFaderClicked(state_, *device, ticked);
}

void ConsolePageController::EncoderDefaultChanged(int encoder, int item)
{
    if (model::TDevice* device = Device())
        console::EncoderDefaultChanged(state_, *device, encoder, item);
}

void ConsolePageController::RotarySelectorDefaultChanged(int item)
{
    if (model::TDevice* device = Device())
        console::RotarySelectorDefaultChanged(state_, *device, item);
}

void ConsolePageController::IndependentKeyClicked(bool ticked)
{
    if (model::TDevice* device = Device())
        console::IndependentKeyClicked(state_, *device, ticked);
}

KeyOptionsView ConsolePageController::KeyOptions()
{
    model::TProject* project = host_.CurrentProject();
    if (!project || host_.CurrentDeviceIndex() < 0)
        return {};
    KeyOptionsView view = FillKeyFunctionList(state_, *project, host_.CurrentDeviceIndex(), keyEditor_);
    if (const auto steps = AudioSourceSteps(view, state_, *project, host_.CurrentDeviceIndex()); !steps.empty())
        host_.FollowAudioSources(steps);
    if (!view.Warning.empty())
        platform::prompter().showMessage(Q(view.Warning));
    return view;
}

std::optional<KeyEditor> ConsolePageController::KeyEditing()
{
    model::TProject* project = host_.CurrentProject();
    if (!project || !Device())
        return std::nullopt;
    return KeyEditor(state_, *project, host_.CurrentDeviceIndex(), keyEditor_);
}

UserGroupBoxes ConsolePageController::UserGroups()
{
    const model::TDevice* device = Device();
    return device ? ShowUserGroups(*device, state_.SelectedKeyRecord) : UserGroupBoxes{};
}

void ConsolePageController::ReloadSelection()
{
    if (const model::TDevice* device = Device())
        state_.SelectedModule = ModuleEntryAt(*device, state_.SelectedConsole, state_.SelectedSlot);
}

ModuleIdentity ConsolePageController::Identity() const
{
    // An empty slot shows the zeroed buffer's values.
    const auto& m = state_.SelectedModule;
    const int type = state_.SelectedModuleType();
    const int access = m.size() > 3 ? m[3] : 0;
    const int id = m.size() > 4 ? m[4] : 0;
    return {std::to_string(access + 1), std::string(ModuleNumberPrefix(type)) + std::to_string(id + 1),
            std::string(ModelNumber(type))};
}

void ConsolePageController::SetAccessGroup(int shown)
{
    model::TDevice* device = Device();
    if (!device || state_.Filling || !IsSlotPosition(state_.SelectedSlot) || shown < 1 || shown > 4)
        return;
    auto entry = ModuleEntryAt(*device, state_.SelectedConsole, state_.SelectedSlot);
    if (entry.size() <= 3)
        return;
    model::ModuleEntryWriter(entry).SetAccessGroup(shown - 1);
    device->SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(state_.SelectedConsole, state_.SelectedSlot)), entry);
    state_.SelectedModule = entry;
}

void ConsolePageController::StartPaletteDrag()
{
    state_.DragSourceSlot = -1;
}

void ConsolePageController::StartPictureDrag()
{
    state_.DragSourceSlot = state_.SelectedSlot;
}

bool ConsolePageController::DragOver(int x, int y, int paletteType)
{
    state_.PointerSlot = ConsoleSlotAt(GeometryOf(state_), x, y, false);
    const int slot = state_.PointerSlot;
    if (slot < 0 || StudioPanelConsole())
        return false;
    if (paletteType >= 0)
        return IsUpperRow(slot) ? IsIn(ShortFaceTypes, paletteType) : IsIn(LowerRowTypes, paletteType);
    // A module of the picture stays in the row it was selected in, also after the palette took it.
    return state_.SelectedSlot >= 0 && IsUpperRow(slot) == IsUpperRow(state_.SelectedSlot);
}

bool ConsolePageController::Drop(int x, int y, int paletteType, int selectedPaletteType)
{
    model::TDevice* device = Device();
    if (!device || !DragOver(x, y, paletteType))
        return false;
    // A palette drag adds its item; so does a picture drag whose module the palette deleted, with
    // the palette's selected item, as a drop from the palette would.
    const int added = paletteType >= 0 ? paletteType : state_.DragSourceSlot < 0 ? selectedPaletteType : -1;
    if (added >= 0) {
        if (added == kStudioPanelType)
            state_.PointerSlot = kStudioPanelPosition;
        const Placement placed = AddConsoleModule(*device, state_.SelectedConsole, state_.PointerSlot, added);
        if (placed.Position < 0) {
            state_.DragSourceSlot = -1;
            platform::prompter().showMessage(Q(placed.Refusal));
            return false;
        }
    } else if (state_.DragSourceSlot >= 0) {
        SwapConsoleModules(*device, state_.SelectedConsole, state_.DragSourceSlot, state_.PointerSlot);
    }
    state_.SelectedSlot = state_.PointerSlot;
    state_.SelectedModule = ModuleEntryAt(*device, state_.SelectedConsole, state_.SelectedSlot);
    state_.DragSourceSlot = -1;
    ChangedModules();
    return true;
}

void ConsolePageController::DragOntoPalette()
{
    model::TDevice* device = Device();
    if (!device || state_.DragSourceSlot < 0)
        return;
    RemoveConsoleModule(*device, state_.SelectedConsole, state_.DragSourceSlot);
    state_.DragSourceSlot = -1;
    ChangedModules();
}

void ConsolePageController::EndDrag()
{
    state_.DragSourceSlot = -1;
}

PopupState ConsolePageController::Popup() const
{
    PopupState popup;
    const model::TDevice* device = Device();
    const bool module = device && !ModuleEntryAt(*device, state_.SelectedConsole, state_.SelectedSlot).empty();
    popup.Cut = popup.Copy = popup.Delete = module;
    popup.Paste = !module && device && clipboard_.HoldsModule();
    return popup;
}

void ConsolePageController::CutModule()
{
    if (model::TDevice* device = Device()) {
        if (auto refused = clipboard_.Cut(*device, state_.SelectedConsole, state_.SelectedSlot, AskYesNo))
            Tell(*refused);
        ChangedModules();
    }
}

void ConsolePageController::CopyModule()
{
    if (model::TDevice* device = Device()) {
        if (auto refused = clipboard_.Copy(*device, state_.SelectedConsole, state_.SelectedSlot, AskYesNo))
            Tell(*refused);
        ChangedModules();
    }
}

void ConsolePageController::PasteModule()
{
    if (model::TDevice* device = Device()) {
        if (auto refused = clipboard_.Paste(*device, state_.SelectedConsole, state_.SelectedSlot, AskYesNo))
            Tell(*refused);
        ChangedModules();
    }
}

void ConsolePageController::DeleteModule()
{
    if (model::TDevice* device = Device()) {
        RemoveConsoleModule(*device, state_.SelectedConsole, state_.PointerSlot);
        ChangedModules();
    }
}

void ConsolePageController::PrintModuleLayout()
{
    if (IsSlotPosition(state_.SelectedSlot))
        host_.PrintModuleLayout(ModuleSlotID(state_.SelectedConsole, state_.SelectedSlot));
}

void ConsolePageController::AddConsole()
{
    model::TDevice* device = Device();
    if (!device || !AddConsoleEnabled() || !console::AddConsole(*device))
        return;
    tabs_.push_back("Console " + std::to_string(tabs_.size() + 1));
}

void ConsolePageController::RemoveConsole()
{
    model::TDevice* device = Device();
    if (!device)
        return;
    if (platform::prompter().messageBox(
            "Do you really want to remove this console?\nConfiguration data in its modules will be lost!",
            "Confirmation", platform::Buttons::OkCancel, platform::Icon::Question) != platform::Answer::Ok)
        return;
    console::RemoveConsole(*device, state_.SelectedConsole);
    // Removing the only console leaves the one every device shows, stored as such.
    KeepOneConsole(*device);
    tabs_ = ConsoleTabs(*device);
    ChangeConsole(0);
    ChangedModules();
}

void ConsolePageController::RenameConsole()
{
    model::TDevice* device = Device();
    const int console = state_.SelectedConsole;
    if (!device || console < 0 || console >= static_cast<int>(tabs_.size()))
        return;
    const auto name = platform::prompter().inputQuery("Rename Console", "Enter new title", Q(ConsoleName(*device, console)));
    // Cancel changes nothing: the default text is not stored as a name.
    if (!name)
        return;
    console::RenameConsole(*device, console, platform::toCp1252(name->left(static_cast<int>(kConsoleNameWidth))));
    tabs_[static_cast<std::size_t>(console)] = ConsoleName(*device, console);
}

void ConsolePageController::ChangedModules()
{
    if (model::TDevice* device = Device()) {
        device->FLogicSourcesChanged = true;
        device->FAudioSourcesChanged = true;
    }
    host_.RebuildSourceWindows();
    host_.UpdateResourceGauges();
}

} // namespace kvr::console
