#include "platform/form.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/folder_watch.h"
#include "platform/handles.h"
#include "platform/later_windows.h"
#include "platform/live_region.h"
#include "platform/startup_phases.h"

namespace platform {

namespace {

// A window that cannot be made, or a message box that cannot open, ends the
// step that asked for it.
[[noreturn]] void RaiseLastError() {
    throw std::runtime_error("window service failed");
}

HINSTANCE ThisModule() {
    return GetModuleHandleW(nullptr);
}

// An empty dialog template: the dialog manager gives the window its keyboard
// handling (Tab, Enter on the focused button); the controls are laid out in
// pixels afterwards, since dialog units would not follow the twips table.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu = 0, windowClass = 0, title = 0;
};

constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME;

int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

// Windows offers 96 (100 %) to 480 DPI (500 %); a message with a DPI far
// outside that is no message of Windows'.
bool IsDpi(int dpi) {
    return dpi >= 48 && dpi <= 960;
}

// The dots per inch the window is shown at: its monitor's, where Windows
// tells (10 1607 and later), else the display's.
int WindowDpi(HWND window) {
    if (const auto dpiForWindow = LATER_WINDOWS(L"user32.dll", GetDpiForWindow)) {
        if (const UINT dpi = dpiForWindow(window)) {
            return static_cast<int>(dpi);
        }
    }
    WindowDC screen(GetDC(nullptr), {nullptr});
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

// A system metric at `dpi`, where Windows can tell (10 1607 and later); else
// at the display's, the only one earlier Windows know.
int MetricAt(int index, int dpi) {
    if (const auto forDpi = LATER_WINDOWS(L"user32.dll", GetSystemMetricsForDpi)) {
        return forDpi(index, static_cast<UINT>(dpi));
    }
    return GetSystemMetrics(index);
}

// The window's size around a client area of `client` at `dpi`, likewise.
SIZE WindowSizeAround(SIZE client, int dpi) {
    RECT frame{0, 0, client.cx, client.cy};
    if (const auto forDpi = LATER_WINDOWS(L"user32.dll", AdjustWindowRectExForDpi)) {
        forDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// A dialog scales itself and its controls when its DPI changes (Windows 10
// 1703 and later). Here the twips table decides instead, and nothing may be
// scaled twice.
void KeepDialogScalingOff(HWND dialog) {
    if (const auto dialogBehaviour = LATER_WINDOWS(L"user32.dll", SetDialogDpiChangeBehavior)) {
        dialogBehaviour(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
    }
    if (const auto controlBehaviour =
            LATER_WINDOWS(L"user32.dll", SetDialogControlDpiChangeBehavior)) {
        constexpr auto kNeither = static_cast<DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS>(
            DCDC_DISABLE_FONT_UPDATE | DCDC_DISABLE_RELAYOUT);
        for (HWND control = GetWindow(dialog, GW_CHILD); control;
             control = GetWindow(control, GW_HWNDNEXT)) {
            controlBehaviour(control, kNeither, kNeither);
        }
    }
}

// Copies the structure a message's lParam points to. Windows sends the
// messages that carry one from this thread, but another program can post or
// send them with any number there: a copy that fails costs nothing, where
// reading through a bad pointer would end the program.
template <class Structure>
bool CopyFromMessage(LPARAM lParam, Structure& copy) {
    SIZE_T read = 0;
    return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &copy,
                             sizeof copy, &read) &&
           read == sizeof copy;
}

// Runs on every message this thread's loops take from the queue, the
// program's own and a message box's, before any window sees it.
LRESULT CALLBACK FilterQueue(int code, WPARAM removal, LPARAM lParam) noexcept {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    // Enter held down repeats its key-down, and each would press the button
    // that has the focus by then: one press presses once.
    constexpr LPARAM kRepeat = 1 << 30;
    if (code == HC_ACTION && message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        (message.lParam & kRepeat)) {
        message.message = WM_NULL;
    }
    // Windows only ever sends this one; posted, its pointer, which the window
    // writes through, is another program's number.
    if (code == HC_ACTION && message.message == WM_GETDPISCALEDSIZE) {
        message.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

// Drops the keys and clicks queued meanwhile: they were meant for the window
// as it was before.
void DiscardQueuedInput() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

bool QueryHighContrast() {
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

bool (*HighContrastOn)() = &QueryHighContrast;

struct Form::State {
    const FormDesign& design;
    // Members go in reverse: what the window uses outlives it, since it may
    // still paint or be pressed while it is destroyed.
    GdiObject<HFONT> font;
    GdiObject<HBITMAP> picture;
    IconHandle bigIcon, smallIcon;
    std::vector<std::pair<int, std::function<void()>>> handlers;
    std::optional<FolderWatch> watch;
    std::function<void()> refresh;
    HookHandle queueFilter{
        SetWindowsHookExW(WH_GETMESSAGE, FilterQueue, nullptr, GetCurrentThreadId())};
    OwnedWindow owner;  // goes after the window it owns
    OwnedWindow window;
    LiveRegions live;       // unmarks the labels before they go
    bool clicking = false;  // a click handler is running
    bool away = false;      // another window was active since this one last was
    bool ending = false;    // the Form itself is going

    explicit State(const FormDesign& d) : design(d) {}
    ~State() { ending = true; }

    const ControlDesign* Find(int id) const {
        for (const auto& c : design.controls) {
            if (c.id == id) {
                return &c;
            }
        }
        return nullptr;
    }

    // The boundary between Windows and the program: an exception that no step
    // caught must not unwind through Windows' own code, which may not survive
    // it, and what the window showed can no longer be trusted.
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
        try {
            return Handle(dialog, message, wParam, lParam);
        } catch (...) {
            EndProgram(1);
        }
    }

    static INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        // Once: another program could send WM_INITDIALOG again.
        if (message == WM_INITDIALOG && !GetWindowLongPtrW(dialog, DWLP_USER)) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            return FALSE;
        }
        auto* self = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) {
            return FALSE;
        }
        switch (message) {
            case WM_COMMAND:
                // Esc arrives as IDCANCEL and Enter without a focused button
                // as IDOK; no control carries those ids, so both press nothing.
                if (HIWORD(wParam) == BN_CLICKED) {
                    self->Click(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
                }
                return TRUE;
            case WM_GETDPISCALEDSIZE:
                // Windows 10 1703 and later ask the size at a monitor's DPI
                // before moving the window there; it would scale the frame
                // along with the client otherwise. Asked from this thread
                // only: another's pointer could lead anywhere.
                if (const int dpi = static_cast<int>(wParam); IsDpi(dpi) && !InSendMessage()) {
                    *reinterpret_cast<SIZE*>(lParam) = WindowSizeAround(self->ClientSize(dpi), dpi);
                    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
                    return TRUE;
                }
                return FALSE;
            case WM_DPICHANGED:
                // Moved to a monitor at another DPI. The new DPI comes in
                // wParam, as Windows documents: the window's own may not
                // follow yet (under Wine it never does). The window goes where
                // Windows suggests, at its own size.
                if (RECT suggested; IsDpi(LOWORD(wParam)) && CopyFromMessage(lParam, suggested)) {
                    const int dpi = LOWORD(wParam);
                    self->LayOutControls(dpi);
                    self->LoadIcons(dpi);
                    self->Resize(dpi, {suggested.left, suggested.top});
                }
                return TRUE;
            case WM_SYSCOLORCHANGE:
            case WM_SETTINGCHANGE:
                // Colours or high contrast switched: paint the labels anew.
                RedrawWindow(dialog, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
                return FALSE;
            case WM_CTLCOLORSTATIC:
                return self->ColourLabel(reinterpret_cast<HDC>(wParam),
                                         reinterpret_cast<HWND>(lParam));
            case WM_DRAWITEM:
                if (DRAWITEMSTRUCT item; CopyFromMessage(lParam, item) &&
                                         item.hwndItem == GetDlgItem(dialog, item.CtlID)) {
                    self->DrawPicture(item);
                }
                return TRUE;
            case WM_CLOSE:
                // The only window: closing it ends the program, as the exit
                // button does. Nothing is ever half done when it arrives: the
                // file operations run without a message loop.
                EndProgram();
            case WM_DESTROY:
                // Gone by other means than the program's own end (another
                // program closing the hidden owner, say): end too, rather than
                // run on with no window.
                if (!self->ending) {
                    EndProgram();
                }
                return FALSE;
            case WM_ACTIVATE:
                // Back to the window: what changed meanwhile where no watch
                // reaches (a folder further up moved away) shows too. Not
                // when first shown: the state was just read, and watching anew
                // costs the start-up (Wine takes 10 ms and more to let go of
                // a watch).
                if (LOWORD(wParam) == WA_INACTIVE) {
                    self->away = true;
                } else if (std::exchange(self->away, false)) {
                    self->OutsideChange();
                }
                return FALSE;
            case WM_ENDSESSION:
                // Windows is logging off or shutting down: end now rather
                // than be ended.
                if (wParam) {
                    EndProgram();
                }
                return TRUE;
        }
        return FALSE;
    }

    // Only an enabled button of this window presses, and one handler runs at a
    // time: a message box runs a message loop of its own, and clicks queued
    // before it opened must not start the handler again inside it. Keys and
    // clicks that came while it ran are dropped; the next press counts. None
    // counts once the Form is going.
    void Click(int id, HWND from) {
        if (clicking || ending || from != GetDlgItem(window.get(), id) || !IsWindowEnabled(from)) {
            return;
        }
        for (const auto& [button, handler] : handlers) {
            if (button == id) {
                clicking = true;
                handler();
                clicking = false;
                DiscardQueuedInput();
            }
        }
    }

    // The watch starts over at once, so that no change goes unseen, and stops
    // signalling; the refresh waits while a handler runs.
    void OutsideChange() {
        if (watch) {
            watch->Renew();
        }
        if (refresh && !clicking) {
            refresh();
        }
    }

    // A label without a colour of its own takes the scheme's button text: the
    // DC's default black would vanish on a dark button face.
    INT_PTR ColourLabel(HDC dc, HWND label) {
        COLORREF text = GetSysColor(COLOR_BTNTEXT);
        const ControlDesign* c = Find(GetDlgCtrlID(label));
        if (c && !HighContrastOn()) {
            if (c->colour.kind == TextColour::Kind::System) {
                text = GetSysColor(static_cast<int>(c->colour.value));
            } else if (c->colour.kind == TextColour::Kind::Rgb) {
                text = c->colour.value;
            }
        }
        SetTextColor(dc, text);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }

    // The picture at its natural size at the box's top-left; the rest of the
    // box in the window's background colour.
    void DrawPicture(const DRAWITEMSTRUCT& item) {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
        DrawStateW(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(picture.get()), 0, 0, 0, 0,
                   0, DST_BITMAP);
    }

    void CreateControls(int dpi) {
        for (const auto& c : design.controls) {
            const wchar_t* windowClass = L"STATIC";
            DWORD style = WS_CHILD | WS_VISIBLE;
            DWORD exStyle = 0;
            switch (c.kind) {
                case ControlKind::Label:
                    style |= SS_LEFT | SS_NOPREFIX;  // wraps long text onto more lines
                    break;
                case ControlKind::Button:
                    windowClass = L"BUTTON";
                    style |= BS_PUSHBUTTON | WS_TABSTOP;
                    break;
                case ControlKind::Picture:
                    style |= SS_OWNERDRAW;
                    exStyle |= WS_EX_CLIENTEDGE;
                    EndPhase("controls");
                    picture.reset(static_cast<HBITMAP>(LoadImageW(
                        ThisModule(), MAKEINTRESOURCEW(c.image), IMAGE_BITMAP, 0, 0, 0)));
                    EndPhase("bitmap");
                    break;
            }
            if (!CreateWindowExW(exStyle, windowClass, c.caption, style, 0, 0, 0, 0, window.get(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), ThisModule(),
                                 nullptr)) {
                RaiseLastError();
            }
        }
        KeepDialogScalingOff(window.get());
        EndPhase("controls");
        LayOutControls(dpi);
    }

    SIZE ClientSize(int dpi) const {
        return {TwipsToPixels(design.clientWidth, dpi), TwipsToPixels(design.clientHeight, dpi)};
    }

    // Gives the window the client area of the twips table at `dpi`, its
    // top-left at `at`. The frame is measured, not assumed: a per-monitor v1
    // window (Windows 8.1, 10 before 1703) keeps the system DPI's frame on
    // every monitor.
    void Resize(int dpi, POINT at) {
        const SIZE client = ClientSize(dpi), size = WindowSizeAround(client, dpi);
        HWND w = window.get();
        SetWindowPos(w, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT got;
        if (GetClientRect(w, &got) && !IsIconic(w) &&
            (got.right != client.cx || got.bottom != client.cy)) {
            SetWindowPos(w, nullptr, 0, 0, size.cx + client.cx - got.right,
                         size.cy + client.cy - got.bottom,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    // The title bar's and the task switcher's icons at `dpi`. Not shared: a
    // shared icon keeps the size it was first loaded at.
    void LoadIcons(int dpi) {
        const auto load = [&](int metric) {
            const int size = MetricAt(metric, dpi);
            return IconHandle(static_cast<HICON>(LoadImageW(
                ThisModule(), MAKEINTRESOURCEW(design.icon), IMAGE_ICON, size, size, 0)));
        };
        IconHandle big = load(SM_CXICON), small = load(SM_CXSMICON);
        SendMessageW(window.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
        SendMessageW(window.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
        // The old ones go now that the window no longer shows them.
        bigIcon = std::move(big);
        smallIcon = std::move(small);
    }

    // Places and sizes every control from the twips table at `dpi`, and gives
    // the text controls the font at that size; the old font goes once none
    // uses it.
    void LayOutControls(int dpi) {
        const GdiObject<HFONT> previous = std::move(font);
        const FontDesign& f = design.font;
        font.reset(CreateFontW(-MulDiv(f.tenthsOfPoint, dpi, 720), 0, 0, 0, f.weight, FALSE, FALSE,
                               FALSE, f.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH, f.face));
        EndPhase("fonts");
        for (const auto& c : design.controls) {
            HWND control = GetDlgItem(window.get(), c.id);
            SetWindowPos(control, nullptr, TwipsToPixels(c.left, dpi), TwipsToPixels(c.top, dpi),
                         TwipsToPixels(c.width, dpi), TwipsToPixels(c.height, dpi),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            if (c.kind != ControlKind::Picture) {
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
            }
        }
        EndPhase("layout");
    }
};

Form::Form(const FormDesign& design) : state_(std::make_unique<State>(design)) {
    // A hidden owner keeps the window out of the task bar while it keeps an
    // ordinary title bar with its icon.
    state_->owner.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        ThisModule(), nullptr));
    EndPhase("first window");
    EmptyDialogTemplate dialog{};
    dialog.header.style = kWindowStyle;
    dialog.header.dwExtendedStyle = kWindowExStyle;
    state_->window.reset(CreateDialogIndirectParamW(ThisModule(), &dialog.header,
                                                    state_->owner.get(), &State::DialogProc,
                                                    reinterpret_cast<LPARAM>(state_.get())));
    if (!state_->window) {
        RaiseLastError();
    }
    HWND window = state_->window.get();
    SetWindowTextW(window, design.title);

    // Sized and centred on the screen in one move while still hidden. Larger
    // than the screen (at a very high DPI), it keeps its title bar in the work
    // area, where it can be seen and moved.
    const int dpi = WindowDpi(window);
    const SIZE size = WindowSizeAround(state_->ClientSize(dpi), dpi);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    state_->Resize(dpi, {std::max<int>(work.left, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2),
                         std::max<int>(work.top, (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2)});
    EndPhase("dialog");
    state_->LoadIcons(dpi);
    EndPhase("icons");

    state_->CreateControls(dpi);
}

Form::~Form() = default;

void Form::OnClick(int id, std::function<void()> handler) {
    state_->handlers.emplace_back(id, std::move(handler));
}

HWND Form::handle() const {
    return state_->window.get();
}

HWND Form::control(int id) const {
    return GetDlgItem(handle(), id);
}

void Form::SetEnabled(int id, bool enabled) {
    HWND target = control(id);
    if (!enabled && GetFocus() == target) {
        SendMessageW(handle(), WM_NEXTDLGCTL, 0, FALSE);
    }
    EnableWindow(target, enabled);
}

void Form::SetCaption(int id, const std::wstring& text) {
    HWND target = control(id);
    // A refresh from outside mostly finds the state as it was: the same text
    // again would be painted and read out for nothing.
    std::wstring shown(GetWindowTextLengthW(target) + 1, L'\0');
    shown.resize(GetWindowTextW(target, shown.data(), static_cast<int>(shown.size())));
    if (shown == text) {
        return;
    }
    SetWindowTextW(target, text.c_str());
    const ControlDesign* c = state_->Find(id);
    if (c && c->live && !text.empty() && IsWindowVisible(target)) {
        state_->live.Announce(target);
    }
}

void Form::ShowCentred() {
    ShowWindow(handle(), SW_SHOW);
    for (const auto& c : state_->design.controls) {
        HWND candidate = control(c.id);
        if ((GetWindowLongW(candidate, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(candidate)) {
            SendMessageW(handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(candidate), TRUE);
            break;
        }
    }
}

void Form::ShowMessage(const std::wstring& text, UINT iconStyle, const std::wstring& title) {
    // A key pressed while the handler ran would otherwise close the box unread.
    DiscardQueuedInput();
    if (!MessageBoxW(handle(), text.c_str(), title.c_str(), iconStyle | MB_OK)) {
        RaiseLastError();
    }
}

void Form::OnOutsideChange(const std::wstring& file, std::function<void()> refresh) {
    state_->watch.emplace(file);
    state_->refresh = std::move(refresh);
}

void Form::RunEventLoop() {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return;
            }
            HWND top = GetAncestor(message.hwnd, GA_ROOT);
            if (!top || !IsDialogMessageW(top, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        // Asleep until a message comes or the watched folder changes: no
        // thread and no timer. A handler runs inside a dispatch above, so
        // no refresh from here can meet one.
        const std::span<const HANDLE> changes =
            state_->watch ? state_->watch->events() : std::span<const HANDLE>();
        const auto watched = static_cast<DWORD>(changes.size());
        const DWORD woke =
            MsgWaitForMultipleObjects(watched, changes.data(), FALSE, INFINITE, QS_ALLINPUT);
        if (woke < WAIT_OBJECT_0 + watched) {
            state_->OutsideChange();
        } else if (woke == WAIT_FAILED) {
            state_->watch.reset();  // rather than spin on it
        }
    }
}

void EndProgram(UINT exitCode) {
    ExitProcess(exitCode);
}

}  // namespace platform
