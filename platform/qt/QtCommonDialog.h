// The common file dialog over Qt's file dialogs.
#pragma once

#include "CommonDialog.h"

#include <QStringList>

class QWidget;

// Turns a filter of bar-separated description and pattern pairs ("Text files (*.txt)| *.txt") into Qt name
// filters that show each description and match its patterns. Spaces around a pattern do not count; several
// patterns are separated by ";".
QStringList NameFiltersFromFilter(const std::string& filter);

class QtCommonDialog : public CommonDialog {
public:
    explicit QtCommonDialog(QWidget* parent = nullptr) : m_parent(parent) {}

    bool ShowOpen() override;
    bool ShowSave() override;

private:
    bool Show(bool save);

    QWidget* m_parent;
};
