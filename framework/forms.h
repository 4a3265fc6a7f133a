// Forms, the application object and the screen.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/stdctrls.h"
#include "framework/ui/messagebox.h"

enum class TFormBorderStyle : std::uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum class TPosition : std::uint8_t { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                                      poDesktopCenter };
enum class TFormStyle : std::uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction : std::uint8_t { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TCustomForm {
    ZARN_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    int ClientWidth() const override { return clientWidth_; }
    void SetClientWidth(int v) override;
    int ClientHeight() const override { return clientHeight_; }
    void SetClientHeight(int v) override;
    void SetBounds(int left, int top, int width, int height) override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle b);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons b);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }
    bool Scaled() const { return scaled_; }
    void SetScaled(bool s) { scaled_ = s; }
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int p) { pixelsPerInch_ = p; }
    int TextHeight() const { return textHeight_; }
    void SetTextHeight(int t) { textHeight_ = t; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle s) { formStyle_ = s; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState s) { windowState_ = s; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool k) { keyPreview_ = k; }
    bool OldCreateOrder() const { return oldCreateOrder_; }
    void SetOldCreateOrder(bool o) { oldCreateOrder_ = o; }

    // Shows the form (fires OnShow when it becomes visible).
    void SetVisible(bool v) override;
    // Shows the form modally: runs a message loop until the form closes and returns its
    // modal result (mrCancel when it was closed).
    virtual TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult m) override { modalResult_ = m; }
    // Closes the form: a modal form ends its modal run with mrCancel; otherwise OnClose
    // decides (hide by default); closing the main form ends the application.
    void Close();
    // Calls OnCloseQuery (true when the form may close).
    virtual bool CloseQuery();
    // Sets the focus to a control of this form.
    TWinControl* ActiveControl() const override { return activeControl_; }
    void SetActiveControl(TWinControl* c) override;
    // False while another form runs modally.
    bool TakesInput() const override;
    // Moves the focus to the next (or previous) control in tab order.
    void SelectNext(bool forward = true);
    // The default (Enter) and cancel (Esc) buttons among the form's visible buttons.
    TButton* DefaultButton() const;
    TButton* CancelButton() const;

    // Run after the form's description has been read.
    virtual void DoCreate();
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;

protected:
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    int clientWidth_ = 0, clientHeight_ = 0;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize};
    TPosition position_ = TPosition::poDesigned;
    bool scaled_ = true;
    int pixelsPerInch_ = 96;
    int textHeight_ = 13;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    TWindowState windowState_ = TWindowState::wsNormal;
    bool keyPreview_ = false;
    bool oldCreateOrder_ = false;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    TWinControl* activeControl_ = nullptr;
    bool created_ = false;
};

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;

class TApplication : public TComponent {
    ZARN_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // The program file's name without folder and without anything from its first "." on:
    // first character as it is, the rest lower-cased ("SETUP.EXE" gives "Setup").
    std::string Title() const { return title_; }
    void SetTitle(const std::string& t) { title_ = t; }
    std::string ExeName() const { return exeName_; }
    void SetExeName(const std::string& path);

    // Creates a form of class T owned by the application: constructs it, reads its
    // description from the embedded resource named after the class (when there is one),
    // makes the first created form the main form, then fires its OnCreate.
    template <typename T>
    void CreateForm(T*& ref) {
        T* f = new T(this);
        ref = f;
        try {
            InitForm(f, T::StaticClass().name);
        } catch (...) {
            ref = nullptr;
            delete f;
            throw;
        }
    }
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* f) { mainForm_ = f; }

    // Shows the main form and handles messages until the application terminates.
    void Run();
    // Handles every pending message, then returns.
    void ProcessMessages();
    // Waits for the next message and handles it.
    void HandleMessage();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    // The default report of an exception that escaped an event handler: EAbort is
    // silent; otherwise OnException, or the message in an error box titled with Title.
    void HandleException(const std::exception& e);
    void ShowException(const std::exception& e);
    // A Win32-style message box (flags MbOk..., answers IdOk...).
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

    // Frees every form and resets the loop state (a fresh start, as in a new process).
    void Reset();

    TExceptionEvent OnException;

private:
    void InitForm(TForm* f, const std::string& resourceName);
    std::string title_;
    std::string exeName_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

// Runs `fn` as an event handler is run: an exception that escapes goes to
// Application->HandleException. Backends deliver every input through this.
void DispatchEvent(const std::function<void()>& fn);

class TScreen : public TComponent {
    ZARN_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    int FormCount() const { return int(forms_.size()); }
    TForm* Forms(int i) const { return forms_.at(std::size_t(i)); }
    // The visible forms, last shown first.
    std::vector<TForm*> VisibleForms() const;
    // The innermost modal form, or nullptr.
    TForm* ModalForm() const;
    TForm* ActiveForm() const;
    int Width() const { return 800; }
    int Height() const { return 600; }

private:
    friend class TForm;
    std::vector<TForm*> forms_;
    std::vector<TForm*> shown_;   // visible forms in the order they were shown
    std::vector<TForm*> modal_;   // modal runs, innermost last
    TCursor cursor_ = crDefault;
};

extern TApplication* Application;
extern TScreen* Screen;

// The application title rule, for a Windows path.
std::string ApplicationTitleFromPath(const std::string& exePath);
