// Open and Save dialogs with the title, filter and file name kept by CommonDialog.
#include "QtCommonDialog.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

QStringList NameFiltersFromFilter(const std::string& filter) {
    QStringList nameFilters;
    for (const FilterEntry& entry : FilterEntries(filter)) {
        QStringList patterns;
        for (const std::string& pattern : entry.patterns) {
            patterns << QString::fromStdString(pattern);
        }
        const QString description = QString::fromStdString(entry.description);
        // Qt takes the patterns from the parentheses at the end; a description that already ends with exactly
        // them is shown as it is.
        const QString suffix = QStringLiteral("(%1)").arg(patterns.join(' '));
        nameFilters << (description.endsWith(suffix) ? description : QStringLiteral("%1 %2").arg(description, suffix));
    }
    return nameFilters;
}

namespace {

// The columns of the dialog's file list are name, size, type and date modified.
constexpr int kDateColumn = 3;

class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    // A folder's name typed into the name box and accepted moves into that folder, as always; the name box then
    // holds this name again instead of the folder's.
    void KeepName(const QString& name) { m_name = name; }

protected:
    // Before the window system places the dialog, so that it places it at its final size.
    void showEvent(QShowEvent* event) override {
        if (!event->spontaneous()) {
            FitColumns();
        }
        QFileDialog::showEvent(event);
    }

    void accept() override {
        QFileDialog::accept();
        if (!isVisible() || m_name.isEmpty()) {
            return;
        }
        // After the events that moving into the folder brings, which fill the name box with the folder's name;
        // selectFile would leave a name box that has the focus alone, and after typing it has.
        QTimer::singleShot(0, this, [this] {
            if (auto* box = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                box->setText(m_name);
            }
        });
    }

private:
    // The date column as wide as a date of the widest kind (it starts too narrow), and the dialog
    // wide enough for every column, a vertical scroll bar included (at Qt's own size the last
    // column is cut off).
    void FitColumns() {
        auto* list = findChild<QTreeView*>(QStringLiteral("treeView"));
        if (list == nullptr) {
            return;
        }
        QStyleOptionViewItem date;
        date.initFrom(list);
        date.font = list->font();
        date.features = QStyleOptionViewItem::HasDisplay;
        const QDateTime widest(QDate(2026, 12, 29), QTime(23, 58));
        date.text = QLocale::system().toString(widest, QLocale::ShortFormat);
        QHeaderView* header = list->header();
        const QSize dateSize = list->style()->sizeFromContents(QStyle::CT_ItemViewItem, &date, QSize(), list);
        header->resizeSection(kDateColumn, std::max(header->sectionSize(kDateColumn), dateSize.width()));
        const QScrollBar* bar = list->verticalScrollBar();
        const int room = list->viewport()->width() - (bar->isVisible() ? 0 : bar->sizeHint().width());
        if (header->length() > room) {
            const int screenWidth = screen()->availableGeometry().width();
            resize(std::min(width() + header->length() - room, screenWidth), height());
        }
    }

    QString m_name;
};

} // namespace

bool QtCommonDialog::Show(bool save) {
    FileDialog dialog(m_parent, QString::fromStdString(DialogTitle));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList nameFilters = NameFiltersFromFilter(Filter);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
    }
    dialog.setDefaultSuffix(QString::fromStdString(DefaultExt));
    const StartPlace start = StartFor(save);
    if (!start.folder.empty()) {
        dialog.setDirectory(QString::fromStdString(start.folder));
    }
    if (!start.name.empty()) {
        dialog.selectFile(QString::fromStdString(start.name));
    }
    if (save && !start.name.empty()) {
        dialog.KeepName(QFileInfo(QString::fromStdString(start.name)).fileName());
    }
    // A cancelled dialog reports no file, never the name it held before.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        Closed(save, nullptr);
        return false;
    }
    const std::string chosen = dialog.selectedFiles().constFirst().toStdString();
    Closed(save, &chosen);
    return true;
}
