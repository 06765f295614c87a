// The real Qt file dialogs, offscreen, worked as a user would: what each shows, and what accepting or cancelling it
// leaves in the dialog object.
#include "QtCommonDialog.h"

#include "TestFiles.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <QtTest>
#include <functional>
#include <utime.h>

namespace {

// What the dialog showed when it came up.
struct Seen {
    bool shown = false;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QString title;
    QStringList nameFilters;
    QString folder;
    QString name;
    QString suffix;
};

// Waits for the modal file dialog, notes what it shows, then lets act answer it. A dialog can take seconds to come on
// a loaded machine; one that has not come within a minute is not waited for.
void Answer(Seen& seen, std::function<void(QFileDialog&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(timer, &QTimer::timeout, [timer, started, &seen, act = std::move(act)] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (started->elapsed() > 60000) {
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen.shown = true;
        seen.mode = dialog->acceptMode();
        seen.title = dialog->windowTitle();
        seen.nameFilters = dialog->nameFilters();
        seen.folder = dialog->directory().absolutePath();
        const auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        seen.name = box != nullptr ? box->text() : QStringLiteral("<no name box>");
        seen.suffix = dialog->defaultSuffix();
        act(*dialog);
        // A dialog that the answer did not close fails the test instead of hanging it.
        QTimer::singleShot(5000, dialog, [dialog] {
            QWARN("the dialog was still open: cancelled");
            dialog->reject();
        });
    });
    timer->start();
}

// Presses Open or Save, as the dialog comes; a disabled button does nothing.
void PressAccept(QFileDialog& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(buttons != nullptr);
    QPushButton* button = buttons->button(dialog.acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                                         : QDialogButtonBox::Open);
    QVERIFY(button != nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types the name into the name box and presses Open or Save.
void Type(QFileDialog& dialog, const QString& text) {
    auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(box != nullptr);
    box->setText(text);
    PressAccept(dialog);
}

// The size of the first window the window system shows, as it shows it.
class FirstShown : public QObject {
public:
    QSize size;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window != nullptr && size.isEmpty()) {
            size = window->size();
        }
        return false;
    }
};

} // namespace

class QtCommonDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> m_config;
    std::unique_ptr<TempDir> m_dir;
    QString Folder(const std::string& name) const { return QString::fromStdString(*m_dir / name); }

private slots:
    // The file dialog keeps its history and its list's column widths in the user's settings, and brings them back
    // next time: each run starts from none, and leaves the user's own alone.
    void initTestCase() {
        m_config = std::make_unique<TempDir>();
        QVERIFY(qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config->Path())));
    }
    void cleanupTestCase() { m_config.reset(); }

    void init() {
        m_dir = std::make_unique<TempDir>();
        std::filesystem::create_directory(PathOf(*m_dir / "in"));
        std::filesystem::create_directory(PathOf(*m_dir / "out"));
        WriteFile(*m_dir / "in/itemlist.ini", "item\r\n");
        WriteFile(*m_dir / "out/itemlist.conf", "saved\r\n");
    }
    void cleanup() {
        m_dir.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void openShowsAnOpenDialogAndReturnsThePickedFile() {
        QtCommonDialog dialog;
        dialog.DialogTitle = "Select your Y'z Dock itemlist";
        dialog.Filter = "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini";
        Seen seen;
        Answer(seen, [&](QFileDialog& shown) { Type(shown, Folder("in/itemlist.ini")); });
        QVERIFY(dialog.ShowOpen());
        QVERIFY(seen.shown);
        QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
        QCOMPARE(seen.title, QStringLiteral("Select your Y'z Dock itemlist"));
        QCOMPARE(seen.nameFilters, QStringList{"Y'z Dock Itemlist (itemlist.ini)"});
        QCOMPARE(dialog.FileName, *m_dir / "in/itemlist.ini");
    }

    void aCancelledDialogReportsNoFile_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }

    void aCancelledDialogReportsNoFile() {
        QFETCH(bool, save);
        QtCommonDialog dialog;
        dialog.FileName = *m_dir / "in/itemlist.ini";
        Seen seen;
        Answer(seen, [](QFileDialog& shown) { shown.reject(); });
        QVERIFY(!(save ? dialog.ShowSave() : dialog.ShowOpen()));
        QVERIFY(seen.shown);
        QCOMPARE(seen.mode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(dialog.FileName, std::string());
    }

    // After an Open, the Save dialog gets the bare name: it starts beside the input, the name filled in, and
    // accepting it as it comes saves there.
    void saveStartsBesideTheInput() {
        QtCommonDialog dialog;
        dialog.Filter = "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini";
        Seen open;
        Answer(open, [&](QFileDialog& shown) { Type(shown, Folder("in/itemlist.ini")); });
        QVERIFY(dialog.ShowOpen());

        dialog.DialogTitle = "Select where to save your file";
        dialog.Filter = "RK Launcher Itemlist (itemlist.conf) | itemlist.conf";
        dialog.FileName = "itemlist.conf";
        Seen save;
        Answer(save, [](QFileDialog& shown) { PressAccept(shown); });
        QVERIFY(dialog.ShowSave());
        QCOMPARE(save.mode, QFileDialog::AcceptSave);
        QCOMPARE(save.title, QStringLiteral("Select where to save your file"));
        QCOMPARE(save.folder, Folder("in"));
        QCOMPARE(save.name, QStringLiteral("itemlist.conf"));
        QCOMPARE(dialog.FileName, *m_dir / "in/itemlist.conf");
    }

    // A folder's name typed into the Save dialog's name box moves into that folder, and the name stays.
    void aFolderTypedIntoTheSaveDialogIsEnteredAndTheNameStays() {
        std::filesystem::create_directory(PathOf(*m_dir / "in/sub folder"));
        QtCommonDialog dialog;
        dialog.Filter = "RK Launcher Itemlist (itemlist.conf) | itemlist.conf";
        dialog.FileName = *m_dir / "in/itemlist.conf";
        Seen seen;
        QString folderAfter;
        QString nameAfter;
        Answer(seen, [&](QFileDialog& shown) {
            auto* box = shown.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(box != nullptr);
            box->setText(QStringLiteral("sub folder"));
            QTest::keyClick(box, Qt::Key_Return);
            QTRY_COMPARE(box->text(), QStringLiteral("itemlist.conf"));
            folderAfter = shown.directory().absolutePath();
            nameAfter = box->text();
            PressAccept(shown);
        });
        QVERIFY(dialog.ShowSave());
        QCOMPARE(folderAfter, Folder("in/sub folder"));
        QCOMPARE(nameAfter, QStringLiteral("itemlist.conf"));
        QCOMPARE(dialog.FileName, *m_dir / "in/sub folder/itemlist.conf");
    }

    // The date column of the file list is wide enough for its dates, and the dialog for all its columns: none is cut
    // off at the list's right edge. The dialog has that size when it is shown, and keeps it.
    void theColumnsAreWhole() {
        // A date of the widest kind: two-digit day and hour, the longest month names.
        const qint64 when = QDateTime(QDate(2026, 12, 29), QTime(14, 52)).toSecsSinceEpoch();
        const utimbuf times{static_cast<time_t>(when), static_cast<time_t>(when)};
        QCOMPARE(::utime((*m_dir / "out/itemlist.conf").c_str(), &times), 0);
        QtCommonDialog dialog;
        dialog.FileName = *m_dir / "out/itemlist.conf";
        Seen seen;
        int room = 0;
        int needed = 0;
        bool fits = false;
        QSize size;
        FirstShown first;
        qApp->installEventFilter(&first);
        Answer(seen, [&](QFileDialog& shown) {
            shown.setViewMode(QFileDialog::Detail);
            auto* list = shown.findChild<QTreeView*>(QStringLiteral("treeView"));
            QVERIFY(list != nullptr);
            QTRY_VERIFY(list->model()->rowCount(list->rootIndex()) > 0);
            const QModelIndex date = list->model()->index(0, 3, list->rootIndex());
            QTRY_VERIFY(!date.data().toString().isEmpty());
            room = list->header()->sectionSize(3);
            // What the list's own delegate finds a date needs, margins included.
            QStyleOptionViewItem option;
            option.initFrom(list);
            needed = list->itemDelegate()->sizeHint(option, date).width();
            QTRY_VERIFY2(list->header()->length() <= list->viewport()->width(),
                         qPrintable(QStringLiteral("columns %1 > list %2")
                                        .arg(list->header()->length())
                                        .arg(list->viewport()->width())));
            fits = true;
            size = shown.windowHandle()->size();
            shown.reject();
        });
        QVERIFY(!dialog.ShowSave());
        qApp->removeEventFilter(&first);
        QCOMPARE(size, first.size);
        QVERIFY(needed > 0);
        QVERIFY2(room >= needed, qPrintable(QStringLiteral("%1 < %2").arg(room).arg(needed)));
        QVERIFY(fits);
    }

    // The Save dialog adds the default extension to a name typed without one.
    // Qt then adds it to a name typed without one.
    void theDialogHasTheDefaultExtension() {
        QtCommonDialog dialog;
        dialog.FileName = *m_dir / "out/itemlist.conf";
        dialog.DefaultExt = "conf";
        Seen seen;
        Answer(seen, [](QFileDialog& shown) { shown.reject(); });
        QVERIFY(!dialog.ShowSave());
        QCOMPARE(seen.suffix, QStringLiteral("conf"));
    }

    // The list just saved is no Y'z Dock list: the next Open starts in its folder with an empty name box, so that
    // accepting it as it comes picks nothing; a Y'z Dock list picked before is proposed again.
    void openProposesOnlyAFileOfItsKind() {
        QtCommonDialog dialog;
        dialog.Filter = "Y'z Dock Itemlist (itemlist.ini)| itemlist.ini";
        dialog.FileName = *m_dir / "out/itemlist.conf";
        Seen seen;
        // Open does nothing while the name box is empty; the user then cancels.
        Answer(seen, [](QFileDialog& shown) {
            PressAccept(shown);
            if (shown.isVisible()) {
                shown.reject();
            }
        });
        QVERIFY(!dialog.ShowOpen());
        QCOMPARE(seen.folder, Folder("out"));
        QCOMPARE(seen.name, QString());

        dialog.FileName = *m_dir / "in/itemlist.ini";
        Answer(seen, [](QFileDialog& shown) { PressAccept(shown); });
        QVERIFY(dialog.ShowOpen());
        QCOMPARE(seen.name, QStringLiteral("itemlist.ini"));
        QCOMPARE(dialog.FileName, *m_dir / "in/itemlist.ini");
    }
};

QTEST_MAIN(QtCommonDialogTest)
#include "QtCommonDialogTest.moc"
