// The main window's controls and menus on Qt Widgets, built from frmMain's description.
#include "QtMainWindow.h"

#include "QtCommonDialog.h"
#include "QtMessageBox.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionMenuItem>
#include <QUrl>
#include <algorithm>

namespace {

// The window is laid out in twips, 15 to a device-independent pixel.
constexpr int Twips(int twips) {
    return twips / 15;
}

void PlaceControl(QWidget* control, const ControlDescription& description) {
    control->setObjectName(QString::fromUtf8(description.name));
    control->setGeometry(Twips(description.rect.left), Twips(description.rect.top), Twips(description.rect.width),
                         Twips(description.rect.height));
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
            constexpr int kSeparatorHeight = 9;
            result.setHeight(std::max(result.height(), kSeparatorHeight));
        }
        return result;
    }
};

// The first local file among the URLs the data carries, or none.
QString FirstLocalFile(const QMimeData* data) {
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

} // namespace

QIcon ProgramIcon() {
    // The icon lives in this library's resources, which a static library must register itself.
    Q_INIT_RESOURCE(tarvenne);
    return QIcon(QStringLiteral(":/icons/tarvenne.svg"));
}

QtMainWindow::QtMainWindow(std::string applicationDirectory, Services services, QWidget* parent)
    : QMainWindow(parent),
      m_messageBox(services.messageBox ? std::move(services.messageBox) : std::make_unique<QtMessageBox>(this)),
      m_cmnDlg(services.dialog ? std::move(services.dialog) : std::make_unique<QtCommonDialog>(this)) {
    if (!services.endProgram) {
        services.endProgram = [] { QCoreApplication::exit(0); };
    }

    setObjectName(QString::fromUtf8(frmMain::kName));
    setWindowTitle(QString::fromUtf8(frmMain::Caption().c_str()));
    setWindowIcon(ProgramIcon());
    // A fixed frame: nothing in the window follows a change of size. Minimise stays available.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAcceptDrops(true);
    BuildControls();
    m_form = std::make_unique<frmMain>(frmMain::Services{
        *m_messageBox, *m_cmnDlg, std::move(services.endProgram),
        [this](const std::string& text) {
            // The label breaks lines at LF.
            m_label1->setText(QString::fromUtf8(text.c_str()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        },
        std::move(applicationDirectory)});
    BuildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_form->Form_Load();
}

void QtMainWindow::BuildControls() {
    auto* clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("clientArea"));
    clientArea->setFixedSize(Twips(frmMain::kClientWidth), Twips(frmMain::kClientHeight));
    QFont font(QString::fromUtf8(frmMain::kFont.face));
    font.setStyleHint(QFont::SansSerif); // where Tahoma is missing, a close sans-serif font stands in
    font.setPointSizeF(frmMain::kFont.points);
    font.setWeight(static_cast<QFont::Weight>(frmMain::kFont.weight));
    clientArea->setFont(font);
    setCentralWidget(clientArea);

    m_cmdYzToRKL = new QPushButton(QString::fromUtf8(frmMain::kCmdYzToRKL.text), clientArea);
    PlaceControl(m_cmdYzToRKL, frmMain::kCmdYzToRKL);
    m_cmdYzToRKL->setFocusPolicy(Qt::StrongFocus);
    m_cmdYzToRKL->setAutoDefault(false);
    // Enter presses the focused button, as Space does: the convention of the system the window comes from.
    m_cmdYzToRKL->installEventFilter(this);
    connect(m_cmdYzToRKL, &QPushButton::clicked, this, [this] { m_form->cmdYzToRKL_Click(); });

    m_label1 = new QLabel(QString::fromUtf8(frmMain::kLabel1.text), clientArea);
    PlaceControl(m_label1, frmMain::kLabel1);
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    setTabOrder(m_cmdYzToRKL, m_label1);
    m_cmdYzToRKL->setFocus();
}

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cmdYzToRKL && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            m_cmdYzToRKL->animateClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void QtMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstLocalFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void QtMainWindow::dropEvent(QDropEvent* event) {
    const QString path = FirstLocalFile(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    const std::string inputPath = QFile::encodeName(path).toStdString();
    QMetaObject::invokeMethod(
        this, [this, inputPath] { m_form->ConvertPicked(inputPath); }, Qt::QueuedConnection);
}

void QtMainWindow::BuildMenus() {
    auto* menuStyle = new MenuStyle;
    menuStyle->setParent(this);
    for (const MenuDescription& description : frmMain::Menus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(description.text));
        menu->setObjectName(QString::fromUtf8(description.name));
        // The File menu begins with its separator; Qt hides a leading separator unless told not to.
        menu->setSeparatorsCollapsible(false);
        menu->setStyle(menuStyle);
        for (const MenuItemDescription& item : description.items) {
            QAction* action = item.IsSeparator() ? menu->addSeparator() : menu->addAction(QString::fromUtf8(item.text));
            action->setObjectName(QString::fromUtf8(item.name));
            if (!item.IsSeparator()) {
                const MenuCommand command = item.command;
                connect(action, &QAction::triggered, this, [this, command] { m_form->Invoke(command); });
            }
        }
    }
}
