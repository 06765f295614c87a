// A message box window: icon for the style, the prompt as plain text, one OK button.
#pragma once

#include "MessageBox.h"

#include <QDialog>
#include <QList>
#include <QString>

// The prompt as plain text, line by line, never wrapped. TABs advance to evenly spaced tab stops whose spacing is
// chosen so that text following TABs lines up across the lines. Lines too wide for the screen are shortened in the
// middle.
class PromptView : public QWidget {
    Q_OBJECT
public:
    PromptView(const QString& prompt, int maximumWidth, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Lines of the prompt as shown, and where each TAB-separated run of a line starts, in pixels.
    const QStringList& Lines() const { return m_lines; }
    qreal RunStart(qsizetype line, qsizetype run) const { return m_runs[line][run].x; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Run {
        qreal x;
        QString text;
    };
    QList<Run> LayOut(const QString& line) const;

    QStringList m_lines;
    int m_maximumWidth;
    qreal m_tabStop = 0;
    QList<QList<Run>> m_runs;
    QSize m_size;
};

class MessageDialog : public QDialog {
    Q_OBJECT
public:
    // CR LF, a lone CR and a lone LF in the prompt each break a line.
    MessageDialog(const QString& prompt, MsgBoxStyle style, const QString& title, QWidget* parent = nullptr);
};
