// Layout, menus, fixed texts and handlers of the main window.
#include "frmMain.h"

#include "Product.h"
#include "QtCommonDialog.h"
#include "QtMessageBox.h"
#include "modCommands.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionMenuItem>
#include <algorithm>

namespace {

// The window is laid out in twips, 15 to a device-independent pixel.
constexpr int Twips(int twips) {
    return twips / 15;
}

constexpr const char* kCrLf = "\r\n";

constexpr const char* kLabelLines[] = {"More options coming soon (hopefully).",
                                       "",
                                       "This includes:",
                                       "- More conversion types",
                                       "- Dock BG conversions",
                                       "- Improved GUI (not skins)"};

constexpr const char* kHelpLines[] = {
    "Below is the standard for command line arguments (all are required, except -s, and must be in the order below):",
    "",
    "",
    "-in <path & filename of input file>\t:\tThis specifies the input file.",
    "",
    "-out <directory of output file>\t:\tThis specifies the output directory.",
    "",
    "-type <type here>\t\t\t:\tThis specifies the type of conversion to perform.",
    "",
    "[-s]\t\t\t\t:\tThis specifies for the conversion to be silent (no confirmation message).",
    "",
    "",
    "Available conversion types:",
    "",
    "yzrk\t:\tY'z Dock itemlist  ->  RK Launcher itemlist"};

constexpr const char* kAboutTitle = "About Tarvenne";
constexpr const char* kOpenTitle = "Select your Y'z Dock itemlist";
constexpr const char* kOpenFilter = "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini";

template <std::size_t N> std::string JoinLines(const char* const (&lines)[N]) {
    std::string text;
    for (std::size_t i = 0; i < N; ++i) {
        text += (i > 0 ? kCrLf : "");
        text += lines[i];
    }
    return text;
}

// Menu separators with room around their line, so that a separator at the very top of a menu (as in File) is not
// lost in the menu's frame, as it is with the 2-pixel separators of some styles.
class MenuStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type == CT_MenuItem && item != nullptr && item->menuItemType == QStyleOptionMenuItem::Separator) {
            result.setHeight(std::max(result.height(), kSeparatorHeight));
        }
        return result;
    }

private:
    static constexpr int kSeparatorHeight = 9;
};

QFont WindowFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif); // where Tahoma is missing, a close sans-serif font stands in
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace

// The icon lives in this library's resources, which a static library must register itself.
static void InitResources() {
    Q_INIT_RESOURCE(tarvenne);
}

frmMain::frmMain(std::string applicationDirectory, Services services, QWidget* parent)
    : QMainWindow(parent), m_applicationDirectory(std::move(applicationDirectory)),
      m_messageBox(std::move(services.messageBox)), m_cmnDlg(std::move(services.dialog)),
      m_endProgram(std::move(services.endProgram)) {
    if (!m_messageBox) {
        m_messageBox = std::make_unique<QtMessageBox>(this);
    }
    if (!m_cmnDlg) {
        m_cmnDlg = std::make_unique<QtCommonDialog>(this);
    }
    if (!m_endProgram) {
        m_endProgram = [] { QCoreApplication::exit(0); };
    }

    InitResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(ApplicationTitle().c_str()));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarvenne.svg")));
    // A fixed frame: nothing in the window follows a change of size. Minimise stays available.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildControls();
    BuildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::BuildControls() {
    auto* clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("clientArea"));
    clientArea->setFixedSize(Twips(4680), Twips(2475));
    clientArea->setFont(WindowFont());
    setCentralWidget(clientArea);

    m_cmdYzToRKL = new QPushButton(QStringLiteral("Y'z To RK Launcher"), clientArea);
    m_cmdYzToRKL->setObjectName(QStringLiteral("cmdYzToRKL"));
    m_cmdYzToRKL->setGeometry(Twips(1320), Twips(240), Twips(1815), Twips(495));
    m_cmdYzToRKL->setFocusPolicy(Qt::StrongFocus);
    m_cmdYzToRKL->setAutoDefault(false);
    connect(m_cmdYzToRKL, &QPushButton::clicked, this, &frmMain::cmdYzToRKL_Click);

    m_label1 = new QLabel(QStringLiteral("Label1"), clientArea);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(Twips(120), Twips(960), Twips(4455), Twips(1455));
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_label1->setFocusPolicy(Qt::NoFocus);

    setTabOrder(m_cmdYzToRKL, m_label1);
    m_cmdYzToRKL->setFocus();
}

void frmMain::BuildMenus() {
    auto* menuStyle = new MenuStyle;
    menuStyle->setParent(this);

    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    // The File menu begins with its separator; Qt hides a leading separator unless told not to.
    mnuFile->setSeparatorsCollapsible(false);
    mnuFile->setStyle(menuStyle);
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuSep1"));
    QAction* mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->setSeparatorsCollapsible(false);
    mnuHelp->setStyle(menuStyle);
    QAction* mnuCmd = mnuHelp->addAction(QStringLiteral("&Command line arguments..."));
    mnuCmd->setObjectName(QStringLiteral("mnuCmd"));
    connect(mnuCmd, &QAction::triggered, this, &frmMain::mnuCmd_Click);
    mnuHelp->addSeparator()->setObjectName(QStringLiteral("mnuSep2"));
    QAction* mnuAbout = mnuHelp->addAction(QStringLiteral("&About Tarvenne..."));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::Form_Load() {
    // Lines are joined by CR LF like every text of the program; the label breaks lines at LF.
    m_label1->setText(QString::fromUtf8(JoinLines(kLabelLines).c_str()).replace(QStringLiteral("\r\n"), "\n"));
}

void frmMain::cmdYzToRKL_Click() {
    try {
        m_cmnDlg->DialogTitle = kOpenTitle;
        m_cmnDlg->Filter = kOpenFilter;
        // Whether a file was picked is not asked: after a cancel the dialog holds no file name, which fails to
        // open like any other missing file and so ends the click.
        m_cmnDlg->ShowOpen();
        modCommands::RunYzToRK(m_cmnDlg->FileName, std::nullopt,
                               {*m_messageBox, m_cmnDlg.get(), m_applicationDirectory});
    } catch (const std::exception&) {
        // The click's one error trap: it ends in silence, and nothing of the run is kept.
    }
}

void frmMain::mnuCmd_Click() {
    m_messageBox->MsgBox(JoinLines(kHelpLines), MsgBoxStyle::OkOnly);
}

void frmMain::mnuAbout_Click() {
    m_messageBox->MsgBox(std::string(Product::kName) + " " + Product::kVersion + " by the Tarvenne authors",
                         MsgBoxStyle::Information, kAboutTitle);
}

void frmMain::mnuExit_Click() {
    m_endProgram();
}
