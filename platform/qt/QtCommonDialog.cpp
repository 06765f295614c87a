// Open and Save dialogs with the title, filter and file name kept by CommonDialog.
#include "QtCommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
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
    // The date column as wide as its dates (it starts too narrow), and the dialog wide enough for every column (at
    // Qt's own size the last is cut off). Only growth counts, so the user's own narrowing is never fought.
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = list->header();
        header->setSectionResizeMode(kDateColumn, QHeaderView::ResizeToContents);
        const auto fitColumns = [&dialog, list, header] {
            const int missing = header->length() - list->viewport()->width();
            if (missing > 0) {
                const int room = dialog.screen()->availableGeometry().width();
                dialog.resize(std::min(dialog.width() + missing, room), dialog.height());
            }
        };
        // Once the header has taken the new width in.
        QObject::connect(header, &QHeaderView::sectionResized, &dialog,
                         [&dialog, fitColumns](int column, int oldSize, int newSize) {
                             if (column == kDateColumn && newSize > oldSize) {
                                 QTimer::singleShot(0, &dialog, fitColumns);
                             }
                         });
    }
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
