// A message box window: icon for the style, the prompt as plain text, one OK button.
#pragma once

#include "MessageBox.h"

#include <QDialog>
#include <QLabel>
#include <QList>
#include <QStringList>

class QScreen;

// The room a box may take: nine tenths of the screen's available size, or without a screen (none
// connected yet, say) a fixed size that fits a usual one.
QSize BoxSizeLimit(const QScreen* screen);

// The prompt as plain text, line by line. TABs advance to evenly spaced tab stops whose spacing is
// chosen so that text following TABs lines up across the lines. A line wider than maximumWidth
// wraps: at a space where it can, inside a long word such as a path where it must; the continuation
// lines start where the wrapped run of text started, unless that leaves less than half the width.
// Nothing is left out. To assistive technology it is a label whose name is the whole prompt, its
// lines joined by LF.
class PromptView : public QLabel {
    Q_OBJECT
public:
    PromptView(const QString& prompt, int maximumWidth, QWidget* parent = nullptr);

    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return m_size; }

    // Lines of the prompt, and where each TAB-separated run of a line starts when the line is not
    // wrapped, in pixels.
    const QStringList& Lines() const { return m_lines; }
    qreal RunStart(qsizetype line, qsizetype run) const;

    // The text as painted: each piece on its row, from x on, in the order of the prompt.
    struct Piece {
        qsizetype line; // of Lines()
        int row;
        qreal x;
        QString text;
    };
    const QList<Piece>& Pieces() const { return m_pieces; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void LayOut(qreal maximumWidth);

    QStringList m_lines;
    qreal m_tabStop;
    QList<Piece> m_pieces;
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
