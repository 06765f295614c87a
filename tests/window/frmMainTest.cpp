// The main window: its controls, menus and fixed texts, and each handler run against fake dialogs and boxes.
#include "frmMain.h"
#include "Fakes.h"
#include "TestFiles.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

namespace {

const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1\r\n";
const std::string kItemBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n\r\n";
const std::string kSeparatorBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";

} // namespace

class frmMainTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<frmMain> m_window;
    FakeMessageBox* m_box = nullptr;
    FakeDialog* m_dialog = nullptr;
    int m_ends = 0;

    template <typename T> T* Find(const char* name) {
        T* found = m_window->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qWarning("no %s", name);
        }
        return found;
    }
    std::string App() const { return *m_dir / "app"; }
    void Click() { QTest::mouseClick(Find<QPushButton>("cmdYzToRKL"), Qt::LeftButton); }

private slots:
    void init() {
        m_dir = std::make_unique<TempDir>();
        std::filesystem::create_directory(App());
        auto box = std::make_unique<FakeMessageBox>();
        auto dialog = std::make_unique<FakeDialog>();
        m_box = box.get();
        m_dialog = dialog.get();
        m_ends = 0;
        m_window = std::make_unique<frmMain>(
            App(), frmMain::Services{std::move(box), std::move(dialog), [this] { ++m_ends; }});
    }

    void cleanup() {
        m_window.reset();
        m_dir.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void window() {
        QCOMPARE(m_window->objectName(), QStringLiteral("frmMain"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Tarvenne"));
        QVERIFY(!m_window->windowIcon().isNull());
        QCOMPARE(m_window->centralWidget()->size(), QSize(312, 165));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!m_window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<Qt::FocusPolicy>("focus");
        QTest::newRow("button") << "cmdYzToRKL" << QRect(88, 16, 121, 33) << Qt::StrongFocus;
        QTest::newRow("label") << "Label1" << QRect(8, 64, 297, 97) << Qt::NoFocus;
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(Qt::FocusPolicy, focus);
        auto* control = m_window->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->focusPolicy(), focus);
        const QFont font = control->font();
        QCOMPARE(font.family(), QStringLiteral("Tahoma"));
        QCOMPARE(font.pointSizeF(), 8.25);
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }

    void buttonAndLabelTexts() {
        QCOMPARE(Find<QPushButton>("cmdYzToRKL")->text(), QStringLiteral("Y'z To RK Launcher"));
        auto* label = Find<QLabel>("Label1");
        QCOMPARE(label->text(), QStringLiteral("More options coming soon (hopefully).\n\nThis includes:\n"
                                               "- More conversion types\n- Dock BG conversions\n"
                                               "- Improved GUI (not skins)"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(label->alignment().testFlag(Qt::AlignHCenter));
    }

    void focusAndTabOrder() {
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(QApplication::focusWidget(), Find<QPushButton>("cmdYzToRKL"));
        QCOMPARE(Find<QPushButton>("cmdYzToRKL")->nextInFocusChain(), Find<QLabel>("Label1"));
    }

    void menus_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items"); // name=text, a separator as name=-
        QTest::newRow("File") << "mnuFile"
                              << "&File" << QStringList{"mnuSep1=-", "mnuExit=E&xit"};
        QTest::newRow("Help") << "mnuHelp"
                              << "&Help"
                              << QStringList{"mnuCmd=&Command line arguments...", "mnuSep2=-",
                                             "mnuAbout=&About Tarvenne..."};
    }

    void menus() {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, items);
        auto* found = m_window->findChild<QMenu*>(menu);
        QVERIFY(found != nullptr);
        QCOMPARE(found->title(), title);
        QStringList actual;
        for (const QAction* action : found->actions()) {
            actual << action->objectName() + "=" + (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(actual, items);

        // Every separator really shows, the File menu's leading one included: a line across the middle of its
        // place, apart from the menu's frame above it.
        m_window->show();
        found->popup(m_window->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(found));
        const QImage image = found->grab().toImage();
        for (QAction* action : found->actions()) {
            if (!action->isSeparator()) {
                continue;
            }
            const QRect place = found->actionGeometry(action);
            QVERIFY2(place.height() >= 5, qPrintable(action->objectName()));
            const int x = place.center().x();
            QVERIFY2(image.pixel(x, place.center().y()) != image.pixel(x, place.top() + 1),
                     qPrintable(action->objectName()));
        }
        found->hide();
    }

    void menuBarHoldsFileThenHelp() {
        QStringList titles;
        for (const QAction* action : m_window->menuBar()->actions()) {
            titles << action->text();
        }
        QCOMPARE(titles, (QStringList{"&File", "&Help"}));
    }

    void clickConvertsThePickedFileAndSavesWhereChosen() {
        WriteFile(*m_dir / "itemlist.ini", kItem + "sep\r\n");
        m_dialog->answers = {*m_dir / "itemlist.ini", *m_dir / "saved.conf"};
        Click();
        QCOMPARE(m_dialog->shown.size(), std::size_t{2});
        const ShownDialog& open = m_dialog->shown[0];
        QCOMPARE(open.kind, std::string("open"));
        QCOMPARE(open.title, std::string("Select your Y'z Dock itemlist"));
        QCOMPARE(open.filter, std::string("Y'z Dock Itemlist (itemlist.ini)| itemlist.ini"));
        const ShownDialog& save = m_dialog->shown[1];
        QCOMPARE(save.kind, std::string("save"));
        QCOMPARE(save.title, std::string("Select where to save your file"));
        QCOMPARE(save.filter, std::string("RK Launcher Itemlist (itemlist.conf) | itemlist.conf"));
        QCOMPARE(save.fileName, std::string("itemlist.conf"));
        QCOMPARE(ReadFile(*m_dir / "saved.conf"), std::optional(kItemBlock + kSeparatorBlock));
        QVERIFY(m_box->shown.empty());
    }

    void cancelledOpenEndsTheClickSilently() {
        m_dialog->FileName = *m_dir / "itemlist.ini"; // what an earlier pick left behind
        WriteFile(*m_dir / "itemlist.ini", kItem);
        m_dialog->answers = {""};
        Click();
        QCOMPARE(m_dialog->shown.size(), std::size_t{1});
        QVERIFY(m_box->shown.empty());
        QCOMPARE(ListDirectory(App()), std::string());
    }

    void cancelledSaveWritesIntoTheApplicationDirectory() {
        WriteFile(*m_dir / "itemlist.ini", kItem);
        m_dialog->answers = {*m_dir / "itemlist.ini", ""};
        Click();
        QCOMPARE(m_box->shown.size(), std::size_t{1});
        QCOMPARE(m_box->shown[0].prompt, std::string("No directory selected. Saving in application directory."));
        QCOMPARE(m_box->shown[0].style, MsgBoxStyle::OkOnly);
        QCOMPARE(m_box->shown[0].title, std::string("Tarvenne"));
        QCOMPARE(ReadFile(App() + "/itemlist.conf"), std::optional(kItemBlock));
    }

    void failingInputWritesNothingAndSaysNothing() {
        WriteFile(*m_dir / "itemlist.ini", kItem + "sep\r\nbroken\tline\r\n");
        m_dialog->answers = {*m_dir / "itemlist.ini", *m_dir / "saved.conf"};
        Click();
        QCOMPARE(m_dialog->shown.size(), std::size_t{1});
        QVERIFY(m_box->shown.empty());
        QVERIFY(!std::filesystem::exists(*m_dir / "saved.conf"));
        QCOMPARE(ListDirectory(App()), std::string());
        QVERIFY(Find<QPushButton>("cmdYzToRKL")->isEnabled());
    }

    void secondClickStartsFromAnEmptyText() {
        WriteFile(*m_dir / "first.ini", kItem);
        WriteFile(*m_dir / "second.ini", "sep\r\n");
        m_dialog->answers = {*m_dir / "first.ini", *m_dir / "first.conf", *m_dir / "second.ini",
                             *m_dir / "second.conf"};
        Click();
        Click();
        QCOMPARE(ReadFile(*m_dir / "first.conf"), std::optional(kItemBlock));
        QCOMPARE(ReadFile(*m_dir / "second.conf"), std::optional(kSeparatorBlock));
    }

    void commandLineHelp() {
        Find<QAction>("mnuCmd")->trigger();
        QCOMPARE(m_box->shown.size(), std::size_t{1});
        QCOMPARE(m_box->shown[0].style, MsgBoxStyle::OkOnly);
        QCOMPARE(m_box->shown[0].title, std::string("Tarvenne"));
        QCOMPARE(m_box->shown[0].prompt,
                 std::string("Below is the standard for command line arguments (all are required, except -s, and "
                             "must be in the order below):\r\n\r\n\r\n"
                             "-in <path & filename of input file>\t:\tThis specifies the input file.\r\n\r\n"
                             "-out <directory of output file>\t:\tThis specifies the output directory.\r\n\r\n"
                             "-type <type here>\t\t\t:\tThis specifies the type of conversion to perform.\r\n\r\n"
                             "[-s]\t\t\t\t:\tThis specifies for the conversion to be silent (no confirmation "
                             "message).\r\n\r\n\r\n"
                             "Available conversion types:\r\n\r\n"
                             "yzrk\t:\tY'z Dock itemlist  ->  RK Launcher itemlist"));
    }

    void about() {
        Find<QAction>("mnuAbout")->trigger();
        QCOMPARE(m_box->shown.size(), std::size_t{1});
        QCOMPARE(m_box->shown[0].style, MsgBoxStyle::Information);
        QCOMPARE(m_box->shown[0].title, std::string("About Tarvenne"));
        QCOMPARE(m_box->shown[0].prompt, std::string("Tarvenne 1.00 by the Tarvenne authors"));
    }

    // With the real services: File, Exit, and closing the window, each end the event loop with status 0.
    void endsTheProgram_data() {
        QTest::addColumn<bool>("viaExit");
        QTest::newRow("exit") << true;
        QTest::newRow("close") << false;
    }

    void endsTheProgram() {
        QFETCH(bool, viaExit);
        m_window.reset();
        frmMain window(App());
        window.show();
        QTimer::singleShot(0, &window, [&] {
            if (viaExit) {
                window.findChild<QAction*>("mnuExit")->trigger();
            } else {
                window.close();
            }
        });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); }); // a safety net, never reached
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    void exitEndsTheProgramWithoutAsking() {
        Find<QAction>("mnuExit")->trigger();
        QCOMPARE(m_ends, 1);
        QVERIFY(m_box->shown.empty());
    }
};

QTEST_MAIN(frmMainTest)
#include "frmMainTest.moc"
