// The macro editor: the user's macro list (add, delete, rename, import and export of *.macro
// files) and the actions of the open macro (record, insert mouse clicks, move, delete, clear, and
// change an action's key, mouse button or delay). Every accepted change is written through to the
// macro store at once; a change that would cost the mouse more than it holds is undone.
#pragma once

#include <QString>
#include <functional>

#include "macro/dialogs/capture_mode.h"
#include "macro/editor/action_rows.h"
#include "macro/editor/editor_hooks.h"
#include "macro/editor/macro_edit_buffer.h"
#include "macro/editor/macro_recorder.h"
#include "ui/input_capture.h"
#include "ui/window_impl_base.h"

class Clock;
class KeyboardLayout;
class MacroNameChanges;
class MacroStore;
class TextLookup;
struct HookTable;
struct MacroRecord;

// What the page hands to the editor; all of it outlives the editor.
struct MacroEditorServices {
    MacroStore& store;
    const HookTable& hooks;
    const KeyboardLayout& layout;
    const TextLookup& texts;
    const Clock& clock;
    QString dataFolder;  // ends in a separator
    // Told of every rename and deletion, so the buttons bound to a macro follow it (may be null).
    MacroNameChanges* nameChanges = nullptr;
    // The buttons and profiles that use a macro, as text; empty when none does (may be empty).
    std::function<QString(const QString& macroName)> describeUsers;
};

inline constexpr char kMacroEditorClass[] = "MS_1_Macro";

class CMS_1_Macro final : public WindowImplBase {
public:
    explicit CMS_1_Macro(MacroEditorServices services);
    ~CMS_1_Macro() override;

    QString GetWindowClassName() const override { return QLatin1String(kMacroEditorClass); }
    QString GetSkinFile() const override { return QStringLiteral("MS/MS_1/ms_1_macropage.xml"); }

    // The working copy and the open macro (-1 none), for the page and tests.
    const MacroEditBuffer& Buffer() const { return buffer_; }
    int CurrentIndex() const { return currentIndex_; }
    bool EditPaneOn() const { return editPaneOn_; }
    // Where this editor takes keys and clicks from, decided when it opened.
    CaptureMode InputMode() const { return captureMode_; }

    // Window timers of the root control that scroll the selected row into view.
    static constexpr unsigned kScrollToInsertTimer = 6;
    static constexpr unsigned kScrollToStartTimer = 28;
    static constexpr int kScrollDelayMs = 50;

protected:
    void InitWindow() override;
    void Notify(const Notification& n) override;
    void OnClick(const Notification& n) override;
    qintptr HandleCustomMessage(unsigned message, quintptr wParam, qintptr lParam,
                                bool& handled) override;
    void OnDestroy() override;

private:
    // The macro list.
    void SelectMacro(int index);
    void LoadCurrent();
    void AddMacro();
    void DeleteMacro();
    void RenameMacro();
    void ImportMacro();
    void ExportMacro();

    // The action list and the store rule.
    void RebuildActionList();
    void RedrawAction(int index);
    void SelectAction(int index);
    void MoveAction(bool up);
    void DeleteAction();
    void ClearActions();
    // The store rule; false when the change was undone because the mouse could not hold it.
    bool StoreOrUndo();
    // "23 / 46" under the action list.
    void ShowFill();

    // The edit pane.
    void OnEditCheck(bool checked);
    void RefreshEditPane();
    void ShowEditPage(int page);
    void ClosePane(bool reload);
    void OnDelayBoxDone(Edit& box);
    void OnMouseButtonChosen(int item);
    void StartKeyCapture();
    void StopKeyCapture();
    void OnCapturedKey(quintptr wParam);
    // Changes the selected action's key or button, and its other half's.
    void SetSelectedCode(uint8_t code);

    // Recording and mouse clicks.
    void OnRecordClicked();
    // `reason`: the language key of what the status line says about the stop (none: nothing).
    void StopRecording(const char* reason = nullptr);
    void OnRecorderInput(quintptr wParam, qintptr lParam);
    // Recording from the editor's own recording area (where no global hook listens).
    void StartAreaRecording();
    void StopAreaRecording();
    void ShowCaptureMode();
    void ShowStatus(const QString& key);
    void InsertMouseClick(int button);
    void ShowMousePanel(bool shown);
    uint16_t DefaultDelayFromBox() const;

    void OnTimer(unsigned id);
    void OnKillFocus(const Notification& n);
    // A box whose value the user typed but did not leave yet (the window is closing).
    void CommitFocusedBox();

    MacroEditorServices services_;
    MacroEditBuffer buffer_;
    MacroRecorder recorder_;
    EditorHooks hooks_;
    ActionRows rows_;
    MacroRecord* current_ = nullptr;
    int currentIndex_ = -1;
    bool editPaneOn_ = false;
    bool reloading_ = false;
    bool capturingKey_ = false;
    bool pointerOverRecordButton_ = false;
    bool closing_ = false;  // the window is being destroyed: no more message boxes
    CaptureMode captureMode_ = CaptureMode::GlobalHook;
    InputCapture windowInput_;  // the recording area's or the key box's input

    Button exit_, add_, delete_, import_, export_, up_, down_, deleteAction_, clearActions_;
    Button save_, cancel_;
    Button mouseKeys_[5];
    ListBox macroList_, actionList_;
    Edit nameEdit_, keyEdit_, delayEdit_, mouseDelayEdit_, defaultDelayEdit_;
    CheckBox recordButton_, insertMouseCheck_, editCheck_;
    Option recordDelay_, defaultDelay_, noDelay_;
    TabLayout editTab_;
    ComboBox mouseCombo_;
    Control nameTab_, mouseEventTab_, saveDataTab_, filesTab_;
    Control recordArea_;
    Label recordAreaLabel_, modeHint_, statusLabel_, fillLabel_;
};

// Shows an editor owned by `owner`, centred and modal, until the user closes it.
void RunMacroEditor(WindowImplBase& owner, MacroEditorServices services);
