#include "platform/form.h"

#include <vector>

#include "platform/banner_bitmap.h"
#include "platform/service_error.h"

namespace platform {

namespace {

// Owns a GDI font or brush.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object = nullptr) noexcept : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (object_) {
            DeleteObject(object_);
        }
    }
    HGDIOBJ get() const noexcept { return object_; }
    void Reset(HGDIOBJ object) noexcept {
        GdiObject old(object_);
        object_ = object;
    }

private:
    HGDIOBJ object_;
};

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

}  // namespace

int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

struct Form::State {
    const FormDesign& design;
    std::function<void(int)> onClick;
    HWND owner = nullptr;
    HWND window = nullptr;
    bool clicking = false;  // a click handler is running
    GdiObject font;
    GdiBitmap banner;

    State(const FormDesign& s, std::function<void(int)> click)
        : design(s), onClick(std::move(click)) {}
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    // Also when the Form's constructor fails half-way.
    ~State() {
        if (window) {
            DestroyWindow(window);
        }
        if (owner) {
            DestroyWindow(owner);
        }
    }

    const ControlDesign* Find(int id) const {
        for (const auto& c : design.controls) {
            if (c.id == id) {
                return &c;
            }
        }
        return nullptr;
    }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            return FALSE;
        }
        auto* self = reinterpret_cast<State*>(GetWindowLongPtrW(window, DWLP_USER));
        return self ? self->Handle(message, wParam, lParam) : FALSE;
    }

    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND:
                // Esc arrives as IDCANCEL and Enter without a focused button as
                // IDOK; no control carries those ids, so both press nothing.
                // One handler at a time: a message box runs a message loop of
                // its own, and clicks queued before it opened must not start
                // the handler again inside it.
                if (const ControlDesign* pressed = Find(LOWORD(wParam));
                    HIWORD(wParam) == BN_CLICKED && pressed &&
                    pressed->kind == ControlKind::Button && !clicking &&
                    IsWindowEnabled(reinterpret_cast<HWND>(lParam))) {
                    clicking = true;
                    onClick(pressed->id);
                    clicking = false;
                }
                return TRUE;
            case WM_CTLCOLORSTATIC:
                return ColourLabel(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            case WM_DRAWITEM:
                DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            case WM_CLOSE:
                // The only window: closing it ends the program, as the exit
                // button does. Nothing is ever half done when it arrives: the
                // file operations run without a message loop.
                EndProgram();
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

    INT_PTR ColourLabel(HDC dc, HWND label) {
        const ControlDesign* c = Find(GetDlgCtrlID(label));
        if (c) {
            if (c->colour.kind == TextColour::Kind::System) {
                SetTextColor(dc, GetSysColor(static_cast<int>(c->colour.value)));
            } else if (c->colour.kind == TextColour::Kind::Rgb) {
                SetTextColor(dc, c->colour.value);
            }
        }
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }

    // The banner at its natural size at the box's top-left; the rest of the box
    // in the window's background colour.
    void DrawPicture(const DRAWITEMSTRUCT& item) {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
        BITMAP info;
        if (!banner.get() || !GetObjectW(banner.get(), sizeof info, &info)) {
            return;
        }
        HDC memory = CreateCompatibleDC(item.hDC);
        if (!memory) {
            return;
        }
        HGDIOBJ previous = SelectObject(memory, banner.get());
        BitBlt(item.hDC, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }

    void CreateControls() {
        const int dpi = ScreenDpi();
        const FontDesign& f = design.font;
        font.Reset(CreateFontW(-MulDiv(f.tenthsOfPoint, dpi, 720), 0, 0, 0, f.weight, FALSE, FALSE,
                               FALSE, f.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH, f.face));
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
                    break;
            }
            HWND control = CreateWindowExW(
                exStyle, windowClass, c.caption, style, TwipsToPixels(c.left, dpi),
                TwipsToPixels(c.top, dpi), TwipsToPixels(c.width, dpi),
                TwipsToPixels(c.height, dpi), window,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), ThisModule(), nullptr);
            if (!control) {
                RaiseLastError();
            }
            if (c.kind == ControlKind::Picture) {
                banner = GdiBitmap(LoadBannerBitmap(ThisModule()));
            } else {
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
            }
        }
    }
};

Form::Form(const FormDesign& design, std::function<void(int)> onClick)
    : state_(std::make_unique<State>(design, std::move(onClick))) {
    // A hidden owner keeps the window out of the task bar while it keeps an
    // ordinary title bar.
    state_->owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    ThisModule(), nullptr);
    EmptyDialogTemplate dialog{};
    dialog.header.style = kWindowStyle;
    dialog.header.dwExtendedStyle = kWindowExStyle;
    state_->window =
        CreateDialogIndirectParamW(ThisModule(), &dialog.header, state_->owner, &State::DialogProc,
                                   reinterpret_cast<LPARAM>(state_.get()));
    if (!state_->window) {
        RaiseLastError();
    }
    SetWindowTextW(state_->window, design.title);

    // Sized and centred on the screen at once, while still hidden.
    const int dpi = ScreenDpi();
    RECT frame{0, 0, TwipsToPixels(design.clientWidth, dpi),
               TwipsToPixels(design.clientHeight, dpi)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(state_->window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    const auto icon = [&](int metricX, int metricY) {
        return reinterpret_cast<LPARAM>(
            LoadImageW(ThisModule(), MAKEINTRESOURCEW(design.iconResource), IMAGE_ICON,
                       GetSystemMetrics(metricX), GetSystemMetrics(metricY), LR_SHARED));
    };
    SendMessageW(state_->window, WM_SETICON, ICON_BIG, icon(SM_CXICON, SM_CYICON));
    SendMessageW(state_->window, WM_SETICON, ICON_SMALL, icon(SM_CXSMICON, SM_CYSMICON));

    state_->CreateControls();
}

Form::~Form() = default;

HWND Form::handle() const {
    return state_->window;
}

HWND Form::control(int id) const {
    return GetDlgItem(state_->window, id);
}

void Form::SetEnabled(int id, bool enabled) {
    HWND target = control(id);
    if (!enabled && GetFocus() == target) {
        SendMessageW(state_->window, WM_NEXTDLGCTL, 0, FALSE);
    }
    EnableWindow(target, enabled);
}

void Form::SetCaption(int id, const std::wstring& text) {
    SetWindowTextW(control(id), text.c_str());
}

void Form::ShowCentred() {
    ShowWindow(state_->window, SW_SHOW);
    for (const auto& c : state_->design.controls) {
        HWND candidate = control(c.id);
        if ((GetWindowLongW(candidate, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(candidate)) {
            SendMessageW(state_->window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(candidate), TRUE);
            break;
        }
    }
}

void Form::ShowMessage(const std::wstring& text, UINT iconStyle, const std::wstring& title) {
    if (!MessageBoxW(state_->window, text.c_str(), title.c_str(), iconStyle | MB_OK)) {
        RaiseLastError();
    }
}

void Form::RunEventLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND top = GetAncestor(message.hwnd, GA_ROOT);
        if (!top || !IsDialogMessageW(top, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void EndProgram() {
    ExitProcess(0);
}

}  // namespace platform
