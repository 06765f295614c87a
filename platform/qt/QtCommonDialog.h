// The common file dialog over Qt's file dialogs.
#pragma once

#include "CommonDialog.h"

#include <QStringList>

class QWidget;

// Qt name filters for the entries of a filter (FilterEntries), each showing its description and matching its patterns.
QStringList NameFiltersFromFilter(const std::string& filter);

class QtCommonDialog : public CommonDialog {
public:
    explicit QtCommonDialog(QWidget* parent = nullptr) : m_parent(parent) {}

    bool ShowOpen() override { return Show(false); }
    bool ShowSave() override { return Show(true); }

private:
    bool Show(bool save);

    QWidget* m_parent;
};
