// Layout and painting of the message box window.
#include "MessageDialog.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTextLayout>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// What the icon says to assistive technology.
constexpr const char* kCriticalIconName = "Error";
constexpr const char* kInformationIconName = "Information";

// The next tab stop after x.
qreal NextTabStop(qreal x, qreal tabStop) {
    return (std::floor(x / tabStop) + 1) * tabStop;
}

// Where each TAB-separated run of text starts, a TAB advancing to the next multiple of tabStop, and last where the
// text ends.
QList<qreal> RunStarts(const QFontMetricsF& metrics, const QString& text, qreal tabStop) {
    const QStringList runs = text.split('\t');
    QList<qreal> starts{0};
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const qreal end = starts.last() + metrics.horizontalAdvance(runs[i]);
        starts << (i + 1 < runs.size() ? NextTabStop(end, tabStop) : end);
    }
    return starts;
}

// The spacing that puts the text after each line's first group of TABs at the fewest places; of those, the one
// closest to the conventional eight characters.
qreal ChooseTabStop(const QFontMetricsF& metrics, const QStringList& lines) {
    static const QRegularExpression firstColumn(QStringLiteral("^[^\t]*\t+"));
    const qreal average = metrics.averageCharWidth();
    const qreal conventional = std::round(8 * average);
    qreal best = conventional;
    std::pair<qsizetype, qreal> bestRank{std::numeric_limits<qsizetype>::max(), 0};
    for (qreal stop = std::round(4 * average); stop <= std::round(16 * average); stop += 1) {
        QSet<qint64> columns;
        for (const QString& line : lines) {
            const QRegularExpressionMatch head = firstColumn.match(line);
            if (head.hasMatch()) {
                columns.insert(qRound64(RunStarts(metrics, head.captured(), stop).last()));
            }
        }
        const std::pair<qsizetype, qreal> rank{columns.size(), std::abs(stop - conventional)};
        if (rank < bestRank) {
            best = stop;
            bestRank = rank;
        }
    }
    return best;
}

} // namespace

QSize BoxSizeLimit(const QScreen* screen) {
    constexpr QSize kWithoutScreen(1600, 1000);
    return screen != nullptr ? screen->availableGeometry().size() * 9 / 10 : kWithoutScreen;
}

PromptView::PromptView(const QString& prompt, int maximumWidth, QWidget* parent)
    : QLabel(parent), m_lines(prompt.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
    // The label's text is what assistive technology reads; the painting is this view's own.
    setTextFormat(Qt::PlainText);
    setText(m_lines.join(QLatin1Char('\n')));
    m_tabStop = ChooseTabStop(QFontMetricsF(font()), m_lines);
    LayOut(maximumWidth);
}

void PromptView::LayOut(qreal maximumWidth) {
    const QFontMetricsF metrics(font());
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    int row = 0;
    qreal width = 0;
    for (qsizetype line = 0; line < m_lines.size(); ++line) {
        const QStringList runs = m_lines[line].split('\t');
        qreal x = 0;
        for (qsizetype i = 0; i < runs.size(); ++i) {
            x = i > 0 ? NextTabStop(x, m_tabStop) : x;
            const qreal advance = metrics.horizontalAdvance(runs[i]);
            if (x + advance <= maximumWidth) {
                m_pieces.append({line, row, x, runs[i]});
                x += advance;
                width = std::max(width, x);
                continue;
            }
            // Wrapped beside the text before it, or below it where that leaves too little room.
            if (x > maximumWidth / 2) {
                ++row;
                x = 0;
            }
            QTextLayout layout(runs[i], font());
            layout.setTextOption(wrapping);
            layout.beginLayout();
            for (QTextLine part = layout.createLine(); part.isValid(); part = layout.createLine()) {
                part.setLineWidth(maximumWidth - x);
                row += part.lineNumber() > 0 ? 1 : 0;
                m_pieces.append({line, row, x, runs[i].mid(part.textStart(), part.textLength())});
                width = std::max(width, x + part.naturalTextWidth());
            }
            layout.endLayout();
            x += layout.lineAt(layout.lineCount() - 1).naturalTextWidth();
        }
        ++row;
    }
    m_size = QSize(std::min(static_cast<int>(maximumWidth), static_cast<int>(std::ceil(width))),
                   static_cast<int>(std::ceil(metrics.lineSpacing() * row)));
}

qreal PromptView::RunStart(qsizetype line, qsizetype run) const {
    return RunStarts(QFontMetricsF(font()), m_lines[line], m_tabStop)[run];
}

void PromptView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QFontMetricsF metrics(font());
    for (const Piece& piece : m_pieces) {
        const qreal baseline = metrics.ascent() + metrics.lineSpacing() * piece.row;
        painter.drawText(QPointF(piece.x, baseline), piece.text);
    }
}

MessageDialog::MessageDialog(const QString& prompt, MsgBoxStyle style, const QString& title, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    setModal(true);

    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(style == MsgBoxStyle::OkOnly ? 0 : 16);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(m_buttons, 1, 0, 1, 2);

    // The room left for the prompt, a scroll bar's width kept free in case it is too tall for it.
    const QSize limit = BoxSizeLimit(parent != nullptr ? parent->screen() : this->screen());
    const QMargins margins = layout->contentsMargins();
    const int scrollBar = this->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    int width = limit.width() - margins.left() - margins.right() - scrollBar;
    const int buttonRow = layout->verticalSpacing() + m_buttons->sizeHint().height();
    const int height = limit.height() - margins.top() - margins.bottom() - buttonRow;

    if (style != MsgBoxStyle::OkOnly) {
        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("icon"));
        const int extent = this->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        const bool critical = style == MsgBoxStyle::Critical;
        const QStyle::StandardPixmap standard =
            critical ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxInformation;
        icon->setPixmap(this->style()->standardIcon(standard, nullptr, this).pixmap(extent, extent));
        const char* iconName = critical ? kCriticalIconName : kInformationIconName;
        icon->setAccessibleName(QString::fromUtf8(iconName));
        layout->addWidget(icon, 0, 0, Qt::AlignTop);
        width -= extent + layout->horizontalSpacing();
    }

    m_prompt = new PromptView(prompt, std::max(width, 1), this);
    m_prompt->setObjectName(QStringLiteral("prompt"));
    if (m_prompt->sizeHint().height() <= height) {
        layout->addWidget(m_prompt, 0, 1);
        return;
    }
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("promptScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->setWidget(m_prompt);
    const int barWidth = scroll->verticalScrollBar()->sizeHint().width();
    scroll->setFixedSize(m_prompt->sizeHint().width() + barWidth, std::max(height, 1));
    layout->addWidget(scroll, 0, 1);
}

QString MessageDialog::CopyText() const {
    const QString rule = QString(27, QLatin1Char('-')) + QLatin1Char('\n');
    // Buttons as the user reads them: an "&" before an access key is not shown, "&&" shows one "&".
    static const QRegularExpression accessKey(QStringLiteral("&(.)"), QRegularExpression::DotMatchesEverythingOption);
    QString buttons;
    for (const QAbstractButton* button : m_buttons->buttons()) {
        buttons += button->text().replace(accessKey, QStringLiteral("\\1")) + QStringLiteral("   ");
    }
    return rule + windowTitle() + QLatin1Char('\n') + rule + m_prompt->Lines().join(QLatin1Char('\n')) +
           QLatin1Char('\n') + rule + buttons + QLatin1Char('\n') + rule;
}

void MessageDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(CopyText());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
