// The window service: one fixed-size dialog window laid out from a table of
// controls in twips, with captions and enabled flags the program can set, a
// handler for each button, the message box and the end of the program. The
// program's own window (window/settings_window) is plain logic over this.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace platform {

enum class ControlKind { Label, Button, Picture };

// A label's text colour: the scheme's button text, a system colour index
// (COLOR_HIGHLIGHT, ...) or a fixed RGB value. In high contrast every label
// takes the scheme's button text, readable on its button face.
struct TextColour {
    enum class Kind { Default, System, Rgb } kind = Kind::Default;
    DWORD value = 0;
};

struct ControlDesign {
    int id;
    ControlKind kind;
    const wchar_t* caption;        // a picture's is read out by screen readers, not drawn
    int left, top, width, height;  // twips, in the client area
    TextColour colour;
    int image = 0;      // for a picture: the BITMAP resource it shows at its top-left
    bool live = false;  // for a label: screen readers read its new text out
};

struct FontDesign {
    const wchar_t* face;
    int tenthsOfPoint;
    int weight;
    BYTE charset;
};

struct FormDesign {
    const wchar_t* title;
    int clientWidth, clientHeight;            // twips
    int icon;                                 // ICON resource
    FontDesign font;                          // of every text control
    std::span<const ControlDesign> controls;  // in tab order: the first takes the focus
};

// Whether the user has high contrast on. The window asks whenever it paints a
// label. A seam for the tests, which answer in Windows' place: Wine refuses to
// switch high contrast on (SPI_SETHIGHCONTRAST) and always reports it off.
extern bool (*HighContrastOn)();

class Form {
public:
    // Creates the window and its controls, hidden, centred on the screen, laid
    // out at its monitor's DPI; it lays itself out again, icons and frame
    // included, when moved to a monitor at another.
    explicit Form(const FormDesign& design);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Runs `handler` on the window's thread when button `id` is pressed. One
    // handler runs at a time: a key or click that comes while one runs, or
    // while its message box is open, is dropped, and Enter held down presses
    // once.
    void OnClick(int id, std::function<void()> handler);

    // A disabled button cannot be pressed and takes no focus; disabling the
    // button that has the focus moves the focus on to the next one.
    void SetEnabled(int id, bool enabled);
    // A live label's new text, when not empty, is read out once the window
    // shows.
    void SetCaption(int id, const std::wstring& text);

    // Shows the window for the first time, where it was created. The focus
    // goes to the first control that can take it.
    void ShowCentred();

    // A modal message box over this window with an OK button; returns when
    // the user has dismissed it.
    void ShowMessage(const std::wstring& text, UINT iconStyle, const std::wstring& title);

    HWND handle() const;
    HWND control(int id) const;

    // Runs `refresh` when what lies at `file` may have changed without this
    // window's doing: when anything changes in its folder (the event loop
    // watches it) and when the window is activated again. Never while a click
    // handler runs, its message box included: the handler refreshes at its end.
    void OnOutsideChange(const std::wstring& file, std::function<void()> refresh);

    // Runs the window's events until the program ends.
    void RunEventLoop();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// Ends the program at once: no further handler runs, the window goes away and
// the process exits, with a failure when `exitCode` is not 0.
[[noreturn]] void EndProgram(UINT exitCode = 0);

}  // namespace platform
