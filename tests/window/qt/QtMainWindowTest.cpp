// The main window on Qt Widgets: its controls, menus and texts as built, and its events routed to the handlers.
#include "QtMainWindow.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "WorkedExample.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

class QtMainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<QtMainWindow> m_window;
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
        m_window = std::make_unique<QtMainWindow>(
            App(), QtMainWindow::Services{std::move(box), std::move(dialog), [this] { ++m_ends; }});
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

    // Enter presses the focused button, as Space does; either one opens the Open dialog once.
    void enterAndSpacePressTheButton_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("enter") << int(Qt::Key_Enter);
        QTest::newRow("space") << int(Qt::Key_Space);
    }

    void enterAndSpacePressTheButton() {
        QFETCH(int, key);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        auto* button = Find<QPushButton>("cmdYzToRKL");
        QCOMPARE(QApplication::focusWidget(), button);
        m_dialog->answers = {""};
        QTest::keyClick(button, static_cast<Qt::Key>(key));
        QTRY_COMPARE(m_dialog->shown.size(), std::size_t{1});
        QCOMPARE(m_dialog->shown[0].kind, std::string("open"));
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

    // The button and the three menu commands reach their handlers; what the handlers do is tested without a toolkit.
    void eventsReachTheirHandlers() {
        WriteFile(*m_dir / "itemlist.ini", kItem + "\r\nsep\r\n");
        m_dialog->answers = {*m_dir / "itemlist.ini", *m_dir / "saved.conf"};
        Click();
        QCOMPARE(m_dialog->shown.size(), std::size_t{2});
        QCOMPARE(ReadFile(*m_dir / "saved.conf"), std::optional(kItemBlock + kSepBlock));

        Find<QAction>("mnuCmd")->trigger();
        Find<QAction>("mnuAbout")->trigger();
        QCOMPARE(m_box->shown.size(), std::size_t{2});
        QVERIFY(m_box->shown[0].prompt.starts_with("Below is the standard for command line arguments"));
        QCOMPARE(m_box->shown[1].title, std::string("About Tarvenne"));
        QCOMPARE(m_ends, 0);
        Find<QAction>("mnuExit")->trigger();
        QCOMPARE(m_ends, 1);
    }

    // A dropped list converts as if picked in the Open dialog, once the drop is over: the Save
    // dialog starts beside it. Of several files the first local one is taken; a drag without a
    // local file is refused.
    void aDroppedListConverts_data() {
        QTest::addColumn<QStringList>("urls"); // paths in the test's folder, or web addresses
        QTest::addColumn<bool>("taken");
        QTest::newRow("one") << QStringList{"in/itemlist.ini"} << true;
        QTest::newRow("several") << QStringList{"in/itemlist.ini", "other/itemlist.ini"} << true;
        QTest::newRow("web address first") << QStringList{"https://example.org/x.ini", "in/itemlist.ini"} << true;
        QTest::newRow("web address only") << QStringList{"https://example.org/x.ini"} << false;
    }

    void aDroppedListConverts() {
        QFETCH(QStringList, urls);
        QFETCH(bool, taken);
        for (const std::string folder : {"in", "other"}) {
            std::filesystem::create_directory(PathOf(*m_dir / folder));
            WriteFile(*m_dir / (folder + "/itemlist.ini"), kItem + "\r\n");
        }
        QMimeData data;
        QList<QUrl> dragged;
        for (const QString& url : urls) {
            dragged << (url.contains("://") ? QUrl(url)
                                            : QUrl::fromLocalFile(QString::fromStdString(*m_dir / url.toStdString())));
        }
        data.setUrls(dragged);
        m_dialog->answers = {*m_dir / "in/itemlist.conf"};
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        // Onto the label, which passes it on to the window.
        auto* label = Find<QLabel>("Label1");
        QDragEnterEvent enter(label->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(label, &enter);
        QCOMPARE(enter.isAccepted(), taken);
        QDropEvent drop(label->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(label, &drop);
        QCOMPARE(m_dialog->shown.size(), std::size_t{0});
        QCoreApplication::processEvents();
        QCOMPARE(m_dialog->shown.size(), std::size_t{taken ? 1U : 0U});
        if (taken) {
            QCOMPARE(m_dialog->shown[0].kind, std::string("save"));
            QCOMPARE(m_dialog->shown[0].startFolder, *m_dir / "in/");
            QCOMPARE(ReadFile(*m_dir / "in/itemlist.conf"), std::optional(kItemBlock));
        }
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
        QtMainWindow window(App());
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
};

QTEST_MAIN(QtMainWindowTest)
#include "QtMainWindowTest.moc"
