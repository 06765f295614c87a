// Open and Save dialogs with the title, filter and file name kept by CommonDialog.
#include "QtCommonDialog.h"

#include <QFileDialog>

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

bool QtCommonDialog::ShowOpen() {
    return Show(false);
}

bool QtCommonDialog::ShowSave() {
    return Show(true);
}

bool QtCommonDialog::Show(bool save) {
    QFileDialog dialog(m_parent, QString::fromStdString(DialogTitle));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList nameFilters = NameFiltersFromFilter(Filter);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
    }
    const StartPlace start = StartFor(save);
    if (!start.folder.empty()) {
        dialog.setDirectory(QString::fromStdString(start.folder));
    }
    if (!start.name.empty()) {
        dialog.selectFile(QString::fromStdString(start.name));
    }
    // A cancelled dialog reports no file, never the name it held before.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        Closed(nullptr);
        return false;
    }
    const std::string chosen = dialog.selectedFiles().constFirst().toStdString();
    Closed(&chosen);
    return true;
}
