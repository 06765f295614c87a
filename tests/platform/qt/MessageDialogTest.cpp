// Message boxes and file dialog filters on screen.
#include "MessageDialog.h"
#include "DialogLook.h"
#include "QtCommonDialog.h"
#include "TestFiles.h"
#include "frmMain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>

namespace {

class ButtonIconsStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1
                                                           : QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

class MessageDialogTest : public QObject {
    Q_OBJECT

private slots:
    // The file dialogs opened here keep their history in the user's settings: a folder of the run's own takes them.
    void initTestCase() {
        m_config = std::make_unique<TempDir>();
        QVERIFY(qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config->Path())));
    }
    void cleanupTestCase() { m_config.reset(); }

    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void titleAndIcon_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icon"); // the style's standard pixmap, -1 for none
        QTest::newRow("plain") << 0 << -1;
        QTest::newRow("critical") << 16 << int(QStyle::SP_MessageBoxCritical);
        QTest::newRow("information") << 64 << int(QStyle::SP_MessageBoxInformation);
    }

    void titleAndIcon() {
        QFETCH(int, style);
        QFETCH(int, icon);
        QWidget owner;
        MessageDialog dialog("text", static_cast<MsgBoxStyle>(style), "Title", &owner);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Title"));
        QVERIFY(dialog.isModal());
        QCOMPARE(dialog.parentWidget(), &owner);
        const auto* label = dialog.findChild<QLabel*>("icon");
        QCOMPARE(label != nullptr, icon >= 0);
        if (label != nullptr) {
            const int extent = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
            const QIcon expected = dialog.style()->standardIcon(QStyle::StandardPixmap(icon), nullptr, &dialog);
            QCOMPARE(label->pixmap().toImage(), expected.pixmap(extent, extent).toImage());
        }
    }

    // Ctrl+C (and Ctrl+Insert) copies the box in the layout of a Windows message box and leaves it open; Enter still
    // dismisses it.
    void copyPutsTheBoxOnTheClipboard_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("copied");
        const QString rule = QStringLiteral("---------------------------\n");
        QTest::newRow("confirmation") << "Tarvenne"
                                      << "New file written to /tmp/o & p/" << 64 << int(Qt::Key_C)
                                      << rule + "Tarvenne\n" + rule + "New file written to /tmp/o & p/\n" + rule +
                                             "OK   \n" + rule;
        QTest::newRow("every line break")
            << "Tarvenne"
            << "Failed.\r\n\r\nInput: a\rb\nc" << 16 << int(Qt::Key_C)
            << rule + "Tarvenne\n" + rule + "Failed.\n\nInput: a\nb\nc\n" + rule + "OK   \n" + rule;
        QTest::newRow("insert, tabs kept")
            << "About Tarvenne"
            << "yzrk\t:\tY'z" << 0 << int(Qt::Key_Insert)
            << rule + "About Tarvenne\n" + rule + "yzrk\t:\tY'z\n" + rule + "OK   \n" + rule;
    }

    void copyPutsTheBoxOnTheClipboard() {
        QFETCH(QString, title);
        QFETCH(QString, prompt);
        QFETCH(int, style);
        QFETCH(int, key);
        QFETCH(QString, copied);
        QApplication::clipboard()->setText(QStringLiteral("before"));
        MessageDialog dialog(prompt, static_cast<MsgBoxStyle>(style), title);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // The keys reach the OK button, which has the focus, and go on to the box.
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != nullptr);
        QCOMPARE(focused, dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
        QTest::keyClick(focused, static_cast<Qt::Key>(key), Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), copied);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(focused, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QApplication::clipboard()->text(), copied);
    }

    // Where the platform's theme gives the button an access key ("&OK"), the copy has the text as the user reads it.
    void copiedButtonsLeaveOutAccessKeys() {
        MessageDialog dialog("text", MsgBoxStyle::OkOnly, "Title");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->setText("&Fine && dandy&");
        QVERIFY2(dialog.CopyText().contains("\nFine & dandy&   \n"), qPrintable(dialog.CopyText()));
    }

    // The command-line help where it has the room: fifteen lines, none wrapped, and the text after
    // the TABs in line.
    void helpLinesStayWholeAndColumnsAlign() {
        const QString help = QStringLiteral(
            "Below is the standard for command line arguments (all are required, except -s, and must be in the order "
            "below):\r\n\r\n\r\n-in <path & filename of input file>\t:\tThis specifies the input file.\r\n\r\n"
            "-out <directory of output file>\t:\tThis specifies the output directory.\r\n\r\n"
            "-type <type here>\t\t\t:\tThis specifies the type of conversion to perform.\r\n\r\n"
            "[-s]\t\t\t\t:\tThis specifies for the conversion to be silent (no confirmation message).\r\n\r\n\r\n"
            "Available conversion types:\r\n\r\nyzrk\t:\tY'z Dock itemlist  ->  RK Launcher itemlist");
        const auto prompt = std::make_unique<PromptView>(help, 4000);
        QCOMPARE(prompt->Lines().size(), 15);

        const QFontMetricsF metrics(prompt->font());
        for (qsizetype line = 0; line < prompt->Lines().size(); ++line) {
            const QStringList runs = prompt->Lines()[line].split('\t');
            const qreal end = prompt->RunStart(line, runs.size() - 1) + metrics.horizontalAdvance(runs.last());
            QVERIFY2(end <= prompt->sizeHint().width(), qPrintable(prompt->Lines()[line]));
        }
        // Lines 4, 6, 8 and 10: the colons, and the texts after them, start at the same place.
        for (const qsizetype run : {qsizetype{1}, qsizetype{2}}) {
            const auto start = [&](qsizetype line) {
                const qsizetype tabs = prompt->Lines()[line].count('\t');
                return prompt->RunStart(line, tabs - 2 + run);
            };
            QCOMPARE(start(5), start(3));
            QCOMPARE(start(7), start(3));
            QCOMPARE(start(9), start(3));
        }
        QVERIFY(prompt->RunStart(3, 1) > metrics.horizontalAdvance("-in <path & filename of input file>"));
    }

    // Every kind of line break ends a line once; empty lines stay.
    void lineBreaks_data() {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("lone cr") << "a\rb" << QStringList{"a", "b"};
        QTest::newRow("lone lf") << "a\nb" << QStringList{"a", "b"};
        QTest::newRow("empty lines") << "a\r\n\r\nb\n" << QStringList{"a", "", "b", ""};
    }

    void lineBreaks() {
        QFETCH(QString, prompt);
        QFETCH(QStringList, lines);
        const PromptView view(prompt, 1000);
        QCOMPARE(view.Lines(), lines);
    }

    // Lines without a TAB do not disturb the columns of those with one; and where only the widest tab stop puts
    // the colons in line, it is the one chosen.
    void columnsAlignWhereOnlyTheWidestTabStopWill() {
        const QFontMetricsF metrics(QWidget().font());
        const qreal widest = std::round(16 * metrics.averageCharWidth());
        // A run just narrower than the widest stop: the narrower stops would put it a column further on.
        QString longRun;
        for (int x = 0; x < 40 && longRun.isEmpty(); ++x) {
            for (int i = 0; i < 40 && longRun.isEmpty(); ++i) {
                for (int dots = 0; dots < 10 && longRun.isEmpty(); ++dots) {
                    const QString run = QString(x, 'x') + QString(i, 'i') + QString(dots, '.');
                    const qreal width = metrics.horizontalAdvance(run);
                    if (width >= widest - 1 && width < widest) {
                        longRun = run;
                    }
                }
            }
        }
        if (longRun.isEmpty()) {
            QSKIP("no text of this font falls between the two widest tab stops");
        }
        const PromptView view(QStringLiteral("no tab here\r\na\t:\tone\r\n%1\t:\ttwo\r\nnor here").arg(longRun), 4000);
        QCOMPARE(view.Lines().size(), 4);
        QCOMPARE(view.RunStart(1, 1), view.RunStart(2, 1));
        QCOMPARE(view.RunStart(1, 2), view.RunStart(2, 2));
        QVERIFY(view.RunStart(2, 1) >= metrics.horizontalAdvance(longRun));
    }

    // Where every spacing lines the runs up alike, the conventional one of eight characters is kept.
    void aTieKeepsTheConventionalTabStop() {
        const PromptView view(QStringLiteral("a\tb"), 1000);
        QCOMPARE(view.RunStart(0, 1), std::round(8 * QFontMetricsF(view.font()).averageCharWidth()));
    }

    // Each run is painted where it starts: after "a" nothing up to the tab stop, and "b" from there on.
    void runsArePaintedWhereTheyStart() {
        PromptView view(QStringLiteral("a\tb"), 1000);
        view.resize(view.sizeHint());
        const QImage image = view.grab().toImage();
        const auto inkBetween = [&](qreal from, qreal to) {
            for (int x = qCeil(from); x < qFloor(to); ++x) {
                for (int y = 0; y < image.height(); ++y) {
                    if (image.pixel(x, y) != image.pixel(0, image.height() - 1)) {
                        return true;
                    }
                }
            }
            return false;
        };
        const qreal tabStop = view.RunStart(0, 1);
        QVERIFY(inkBetween(0, tabStop));
        QVERIFY(!inkBetween(QFontMetricsF(view.font()).horizontalAdvance("a") + 1, tabStop - 1));
        QVERIFY(inkBetween(tabStop, image.width()));
    }

    // Every character of a box is shown, whatever the scale: lines too wide for the screen wrap (a
    // path inside itself), and a box too tall for it scrolls. Run again at three times the scale
    // (tests/CMakeLists.txt).
    void noTextIsCut_data() {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<int>("style");
        QTest::newRow("help") << QString::fromStdString(frmMain::CommandLineHelp()) << 0;
        QTest::newRow("path") << QStringLiteral("The conversion failed; nothing was written.\r\n\r\nInput file: ") +
                                     QStringLiteral("/media/USB-STICK/Y'z Dock backup/").repeated(12) + "itemlist.ini"
                              << 16;
        QTest::newRow("screens of path") << QStringLiteral("/very/long/path/").repeated(2000) << 16;
        QTest::newRow("tab past the edge") << QStringLiteral("a") + QString(300, '\t') + "b\tc" << 64;
    }

    void noTextIsCut() {
        QFETCH(QString, prompt);
        QFETCH(int, style);
        MessageDialog dialog(prompt, static_cast<MsgBoxStyle>(style), "Tarvenne");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect room = dialog.screen()->availableGeometry();
        QVERIFY2(dialog.width() <= room.width() && dialog.height() <= room.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(dialog.width()).arg(dialog.height())));
        const auto* view = dialog.findChild<PromptView*>("prompt");
        QVERIFY(view != nullptr);
        // The pieces hold every character but the TABs, each within the view.
        const QFontMetricsF metrics(view->font());
        QStringList shown(view->Lines().size());
        for (const PromptView::Piece& piece : view->Pieces()) {
            shown[piece.line] += piece.text;
            const qreal end = piece.x + metrics.horizontalAdvance(piece.text.trimmed());
            QVERIFY2(piece.text.trimmed().isEmpty() || end <= view->width(), qPrintable(piece.text));
            QVERIFY((piece.row + 1) * metrics.lineSpacing() <= view->height());
        }
        QCOMPARE(shown.join('\n'), QString(prompt).remove('\t').replace("\r\n", "\n"));
        // Seen whole within the box, or in a scroll area that reaches every row.
        if (auto* scroll = dialog.findChild<QScrollArea*>()) {
            QVERIFY(scroll->viewport()->width() >= view->width());
            QCOMPARE(scroll->verticalScrollBar()->maximum(), view->height() - scroll->viewport()->height());
        } else {
            QVERIFY(dialog.rect().contains(view->geometry()));
        }
    }

    // A screen reader reads the whole box: the title, what the icon means, the prompt as written
    // ("&" included) and the button.
    void aScreenReaderReadsTheBox_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("icon"); // as it is read, empty for none
        QTest::newRow("about") << "About Tarvenne"
                               << "Tarvenne 1.00 by the Tarvenne authors" << 64 << "Information";
        QTest::newRow("failure") << "Tarvenne"
                                 << "The conversion failed; nothing was written.\r\n\r\nInput file: /tmp/o & p/i.ini"
                                 << 16 << "Error";
        QTest::newRow("help, scrolled") << "Tarvenne" << QStringLiteral("a\t:\tb\r\n").repeated(500) << 0 << "";
    }

    void aScreenReaderReadsTheBox() {
        QFETCH(QString, title);
        QFETCH(QString, prompt);
        QFETCH(int, style);
        QFETCH(QString, icon);
        QStringList read{"text: " + QString(prompt).replace("\r\n", "\n"), "button: OK"};
        if (!icon.isEmpty()) {
            read << "image: " + icon;
        }
        MessageDialog dialog(prompt, static_cast<MsgBoxStyle>(style), title);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(&dialog);
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(QAccessible::Name), title);
        const QMap<QAccessible::Role, QString> roles{
            {QAccessible::Graphic, "image"}, {QAccessible::StaticText, "text"}, {QAccessible::PushButton, "button"}};
        QStringList heard;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* part) {
            for (int i = 0; i < part->childCount(); ++i) {
                QAccessibleInterface* child = part->child(i);
                const QString name = child->text(QAccessible::Name);
                if (!name.isEmpty() || roles.contains(child->role())) {
                    heard << roles.value(child->role(), QString::number(child->role())) + ": " + name;
                }
                walk(child);
            }
        };
        walk(box);
        heard.sort();
        read.sort();
        QCOMPARE(heard, read);
    }

    // The program's look for dialogs: its icon in every title bar, and no stand-in icons on the buttons where the
    // system has no icon theme (as here).
    void dialogsCarryTheProgramsIconAndNoStandInsOnTheirButtons() {
        // A system that wants icons on dialog buttons, such as Qt's own on X11 without an icon theme.
        QApplication::setStyle(new ButtonIconsStyle);
        QVERIFY(!QDialogButtonBox(QDialogButtonBox::Ok).button(QDialogButtonBox::Ok)->icon().isNull());
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        SetUpDialogLook(QIcon(pixmap));
        MessageDialog box("text", MsgBoxStyle::Information, "Tarvenne");
        QCOMPARE(box.windowIcon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
        auto* buttons = box.findChild<QDialogButtonBox*>();
        QVERIFY(buttons != nullptr);
        QVERIFY(buttons->button(QDialogButtonBox::Ok)->icon().isNull());
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        const auto fileButtons = files.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QVERIFY(fileButtons != nullptr);
        for (const QAbstractButton* button : fileButtons->buttons()) {
            QVERIFY2(button->icon().isNull(), qPrintable(button->text()));
        }
        QMessageBox question(QMessageBox::Question, "Tarvenne", "Replace?", QMessageBox::Yes | QMessageBox::No);
        for (const QAbstractButton* button : question.buttons()) {
            QVERIFY2(button->icon().isNull(), qPrintable(button->text()));
        }
    }

    void nameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::newRow("open") << "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini"
                              << QStringList{"Y'z Dock Itemlist (itemlist.ini)"};
        QTest::newRow("save") << "RK Launcher Itemlist (itemlist.conf) | itemlist.conf"
                              << QStringList{"RK Launcher Itemlist (itemlist.conf)"};
        QTest::newRow("pairs") << "Text|*.txt; *.text |All files (*.*)|*.*"
                               << QStringList{"Text (*.txt *.text)", "All files (*.*)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void nameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        QCOMPARE(NameFiltersFromFilter(filter.toStdString()), nameFilters);
    }

private:
    std::unique_ptr<TempDir> m_config;
};

QTEST_MAIN(MessageDialogTest)
#include "MessageDialogTest.moc"
