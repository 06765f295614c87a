// Message boxes and file dialog filters on screen.
#include "MessageDialog.h"
#include "QtCommonDialog.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QtTest>

class MessageDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void titleAndIcon_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("icon");
        QTest::newRow("plain") << 0 << false;
        QTest::newRow("critical") << 16 << true;
        QTest::newRow("information") << 64 << true;
    }

    void titleAndIcon() {
        QFETCH(int, style);
        QFETCH(bool, icon);
        QWidget owner;
        MessageDialog dialog("text", static_cast<MsgBoxStyle>(style), "Title", &owner);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Title"));
        QVERIFY(dialog.isModal());
        QCOMPARE(dialog.parentWidget(), &owner);
        QCOMPARE(dialog.findChild<QLabel*>("icon") != nullptr, icon);
    }

    // The command-line help: fifteen lines, none wrapped or cut, and the text after the TABs in line.
    void helpLinesStayWholeAndColumnsAlign() {
        const QString help = QStringLiteral(
            "Below is the standard for command line arguments (all are required, except -s, and must be in the order "
            "below):\r\n\r\n\r\n-in <path & filename of input file>\t:\tThis specifies the input file.\r\n\r\n"
            "-out <directory of output file>\t:\tThis specifies the output directory.\r\n\r\n"
            "-type <type here>\t\t\t:\tThis specifies the type of conversion to perform.\r\n\r\n"
            "[-s]\t\t\t\t:\tThis specifies for the conversion to be silent (no confirmation message).\r\n\r\n\r\n"
            "Available conversion types:\r\n\r\nyzrk\t:\tY'z Dock itemlist  ->  RK Launcher itemlist");
        MessageDialog dialog(help, MsgBoxStyle::OkOnly, "Tarvenne");
        auto* prompt = dialog.findChild<PromptView*>("prompt");
        QVERIFY(prompt != nullptr);
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
};

QTEST_MAIN(MessageDialogTest)
#include "MessageDialogTest.moc"
