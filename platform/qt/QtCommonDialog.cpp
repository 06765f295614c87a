// Open and Save dialogs with the title, filter and file name kept by CommonDialog.
#include "QtCommonDialog.h"

#include <QFileDialog>

QStringList NameFiltersFromFilter(const std::string& filter) {
    const QStringList parts = QString::fromLocal8Bit(filter).split('|');
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            if (!pattern.trimmed().isEmpty()) {
                patterns << pattern.trimmed();
            }
        }
        const QString patternText = patterns.join(' ');
        // Qt takes the patterns from the parentheses at the end; a description that already ends with exactly
        // them is shown as it is.
        const QString suffix = QStringLiteral("(%1)").arg(patternText);
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
    QFileDialog dialog(m_parent, QString::fromLocal8Bit(DialogTitle));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList nameFilters = NameFiltersFromFilter(Filter);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
    }
    if (!FileName.empty()) {
        dialog.selectFile(QString::fromLocal8Bit(FileName));
    }
    // A cancelled dialog reports no file, never the name it held before.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        FileName.clear();
        return false;
    }
    FileName = dialog.selectedFiles().constFirst().toLocal8Bit().toStdString();
    return true;
}
