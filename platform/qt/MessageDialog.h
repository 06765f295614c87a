// A message box window: icon for the style, the prompt as plain text, one OK button.
#pragma once

#include "MessageBox.h"

#include <QDialog>
#include <QStringList>

class QScreen;

// The widest a prompt may be shown: nine tenths of the screen's available width, or without a screen (none connected
// yet, say) a fixed width that fits a usual one.
int PromptWidthLimit(const QScreen* screen);

// The prompt as plain text, line by line, never wrapped. TABs advance to evenly spaced tab stops whose spacing is
// chosen so that text following TABs lines up across the lines. Lines too wide for the screen are shortened in the
// middle.
class PromptView : public QWidget {
    Q_OBJECT
public:
    PromptView(const QString& prompt, int maximumWidth, QWidget* parent = nullptr);

    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return m_size; }

    // Lines of the prompt as shown, and where each TAB-separated run of a line starts, in pixels.
    const QStringList& Lines() const { return m_lines; }
    qreal RunStart(qsizetype line, qsizetype run) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList m_lines;
    qreal m_tabStop;
    QSize m_size;
};

class QDialogButtonBox;

class MessageDialog : public QDialog {
    Q_OBJECT
public:
    // CR LF, a lone CR and a lone LF in the prompt each break a line.
    MessageDialog(const QString& prompt, MsgBoxStyle style, const QString& title, QWidget* parent = nullptr);

    // What Ctrl+C (or Ctrl+Insert) copies, as a Windows message box does, for a report from either system: title,
    // prompt (its lines as shown) and buttons between lines of dashes, each line ending with LF.
    QString CopyText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PromptView* m_prompt;
    QDialogButtonBox* m_buttons;
};
