// Menus, fixed texts and handlers of the main window.
#include "frmMain.h"

#include "CommonDialog.h"
#include "FailureMessage.h"
#include "MessageBox.h"
#include "Product.h"
#include "modCommands.h"

#include <exception>
#include <optional>
#include <utility>

namespace {

constexpr MenuItemDescription kFileItems[] = {{"mnuSep1", "-", MenuCommand::None},
                                              {"mnuExit", "E&xit", MenuCommand::Exit}};
constexpr MenuItemDescription kHelpItems[] = {{"mnuCmd", "&Command line arguments...", MenuCommand::CommandLineHelp},
                                              {"mnuSep2", "-", MenuCommand::None},
                                              {"mnuAbout", "&About Tarvenne...", MenuCommand::About}};
constexpr MenuDescription kMenus[] = {{"mnuFile", "&File", kFileItems}, {"mnuHelp", "&Help", kHelpItems}};

constexpr const char* kLabelText = "More options coming soon (hopefully).\r\n\r\n"
                                   "This includes:\r\n"
                                   "- More conversion types\r\n"
                                   "- Dock BG conversions\r\n"
                                   "- Improved GUI (not skins)";

constexpr const char* kHelpText =
    "Below is the standard for command line arguments (all are required, except -s, and must be in the order "
    "below):\r\n\r\n\r\n"
    "-in <path & filename of input file>\t:\tThis specifies the input file.\r\n\r\n"
    "-out <directory of output file>\t:\tThis specifies the output directory.\r\n\r\n"
    "-type <type here>\t\t\t:\tThis specifies the type of conversion to perform.\r\n\r\n"
    "[-s]\t\t\t\t:\tThis specifies for the conversion to be silent (no confirmation message).\r\n\r\n\r\n"
    "Available conversion types:\r\n\r\n"
    "yzrk\t:\tY'z Dock itemlist  ->  RK Launcher itemlist";

constexpr const char* kAboutTitle = "About Tarvenne";
constexpr const char* kOpenTitle = "Select your Y'z Dock itemlist";
constexpr const char* kOpenFilter = "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini";

} // namespace

std::span<const MenuDescription> frmMain::Menus() {
    return kMenus;
}

const std::string& frmMain::Caption() {
    return ApplicationTitle();
}

std::string frmMain::CommandLineHelp() {
    return kHelpText;
}

frmMain::frmMain(Services services) : m_services(std::move(services)) {}

void frmMain::Form_Load() {
    m_services.setLabelText(kLabelText);
}

void frmMain::cmdYzToRKL_Click() {
    CommonDialog& dialog = m_services.cmnDlg;
    dialog.DialogTitle = kOpenTitle;
    dialog.Filter = kOpenFilter;
    // A name typed without an extension is opened as it is typed.
    dialog.DefaultExt.clear();
    if (dialog.ShowOpen()) {
        Convert(dialog.FileName);
    }
}

void frmMain::ConvertPicked(const std::string& inputPath) {
    m_services.cmnDlg.Picked(inputPath);
    Convert(inputPath);
}

void frmMain::Convert(std::string inputPath) {
    try {
        modCommands::RunYzToRK(inputPath, std::nullopt,
                               {m_services.messageBox, &m_services.cmnDlg, m_services.applicationDirectory});
    } catch (const std::exception& error) {
        m_services.messageBox.MsgBox(FailureMessage(inputPath, FailureReason(error)), MsgBoxStyle::Critical);
    }
}

void frmMain::mnuCmd_Click() {
    m_services.messageBox.MsgBox(CommandLineHelp(), MsgBoxStyle::OkOnly);
}

void frmMain::mnuAbout_Click() {
    m_services.messageBox.MsgBox(std::string(Product::kName) + " " + Product::kVersion + " by the Tarvenne authors",
                                 MsgBoxStyle::Information, kAboutTitle);
}

void frmMain::mnuExit_Click() {
    m_services.endProgram();
}

void frmMain::Invoke(MenuCommand command) {
    switch (command) {
    case MenuCommand::Exit:
        mnuExit_Click();
        break;
    case MenuCommand::CommandLineHelp:
        mnuCmd_Click();
        break;
    case MenuCommand::About:
        mnuAbout_Click();
        break;
    case MenuCommand::None:
        break;
    }
}
