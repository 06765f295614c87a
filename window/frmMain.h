// The main window's behaviour, written once for every toolkit: how the window looks (caption, sizes in twips,
// font, controls, menus), its fixed texts and its handlers. A toolkit builds its controls from this description and
// routes the window's events to the handlers.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

class CommonDialog;
class MessageBox;

// Sizes and positions are in twips, 1/1440 inch: 15 to a pixel on a 96 dpi screen.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDescription {
    const char* name;
    const char* text;
    TwipsRect rect;
    int tabIndex;
};

struct FontDescription {
    const char* face;
    double points;
    int weight; // 400 is normal
};

// What a menu item does when chosen.
enum class MenuCommand { None, Exit, CommandLineHelp, About };

struct MenuItemDescription {
    const char* name;
    const char* text; // "&" marks the access key; "-" is a separator line
    MenuCommand command;

    bool IsSeparator() const { return std::string_view(text) == "-"; }
};

struct MenuDescription {
    const char* name;
    const char* text;
    std::span<const MenuItemDescription> items;
};

class frmMain {
public:
    static constexpr const char* kName = "frmMain";
    static constexpr int kClientWidth = 4680;
    static constexpr int kClientHeight = 2475;
    static constexpr FontDescription kFont{"Tahoma", 8.25, 400};
    // The only control that takes the focus.
    static constexpr ControlDescription kCmdYzToRKL{"cmdYzToRKL", "Y'z To RK Launcher", {1320, 240, 1815, 495}, 0};
    // A multi-line label, its text centred; the text is set by Form_Load.
    static constexpr ControlDescription kLabel1{"Label1", "Label1", {120, 960, 4455, 1455}, 1};

    // The menu bar, left to right, each menu's items top to bottom.
    static std::span<const MenuDescription> Menus();

    // The window's caption: the application title.
    static const std::string& Caption();

    // The command-line help, as the Help menu shows it.
    static std::string CommandLineHelp();

    // What the handlers show and ask through, and what they change in the window.
    struct Services {
        MessageBox& messageBox;
        // The window's one file dialog, used for Open here and for Save by the conversion run.
        CommonDialog& cmnDlg;
        // Ends the program at once.
        std::function<void()> endProgram;
        // Sets the text of Label1; lines are separated by CR LF.
        std::function<void(const std::string&)> setLabelText;
        // Where the output falls back to when the chosen place cannot be written.
        std::string applicationDirectory;
    };

    explicit frmMain(Services services);

    // Sets the label text.
    void Form_Load();
    // Asks for a Y'z Dock item list and converts it, saving where the user chooses. A cancelled Open dialog ends the
    // click silently; a failure after a file was picked ends it with a box that says why. The window stays as it was.
    void cmdYzToRKL_Click();
    // Converts a list picked without the Open dialog (dropped on the window, or named alone on the command line) as
    // the button does once its Open dialog has closed; the Save dialog starts beside it.
    void ConvertPicked(const std::string& inputPath);
    // Shows the command-line help.
    void mnuCmd_Click();
    void mnuAbout_Click();
    // Ends the program at once.
    void mnuExit_Click();

    // Runs the handler of a menu item.
    void Invoke(MenuCommand command);

private:
    // Takes the path by value: the dialog it may come from is used again for Save.
    void Convert(std::string inputPath);

    Services m_services;
};
