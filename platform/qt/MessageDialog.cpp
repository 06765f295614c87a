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
#include <QSet>
#include <QStyle>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// Where each TAB-separated run of text starts, a TAB advancing to the next multiple of tabStop, and last where the
// text ends.
QList<qreal> RunStarts(const QFontMetricsF& metrics, const QString& text, qreal tabStop) {
    const QStringList runs = text.split('\t');
    QList<qreal> starts{0};
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const qreal end = starts.last() + metrics.horizontalAdvance(runs[i]);
        starts << (i + 1 < runs.size() ? (std::floor(end / tabStop) + 1) * tabStop : end);
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

int PromptWidthLimit(const QScreen* screen) {
    constexpr int kWithoutScreen = 1600;
    return screen != nullptr ? screen->availableGeometry().width() * 9 / 10 : kWithoutScreen;
}

PromptView::PromptView(const QString& prompt, int maximumWidth, QWidget* parent)
    : QWidget(parent), m_lines(prompt.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
    const QFontMetricsF metrics(font());
    m_tabStop = ChooseTabStop(metrics, m_lines);
    qreal width = 0;
    for (const QString& line : m_lines) {
        width = std::max(width, RunStarts(metrics, line, m_tabStop).last());
    }
    m_size = QSize(std::min(maximumWidth, static_cast<int>(std::ceil(width))),
                   static_cast<int>(std::ceil(metrics.lineSpacing() * m_lines.size())));
}

qreal PromptView::RunStart(qsizetype line, qsizetype run) const {
    return RunStarts(QFontMetricsF(font()), m_lines[line], m_tabStop)[run];
}

void PromptView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QFontMetricsF metrics(font());
    qreal y = metrics.ascent();
    for (const QString& line : m_lines) {
        const QStringList runs = line.split('\t');
        const QList<qreal> starts = RunStarts(metrics, line, m_tabStop);
        for (qsizetype i = 0; i < runs.size(); ++i) {
            painter.drawText(QPointF(starts[i], y), metrics.elidedText(runs[i], Qt::ElideMiddle, width() - starts[i]));
        }
        y += metrics.lineSpacing();
    }
}

MessageDialog::MessageDialog(const QString& prompt, MsgBoxStyle style, const QString& title, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    setModal(true);

    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(style == MsgBoxStyle::OkOnly ? 0 : 16);

    const QScreen* screen = parent != nullptr ? parent->screen() : this->screen();
    m_prompt = new PromptView(prompt, PromptWidthLimit(screen), this);
    m_prompt->setObjectName(QStringLiteral("prompt"));

    if (style != MsgBoxStyle::OkOnly) {
        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("icon"));
        const int extent = this->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        const QStyle::StandardPixmap standard =
            style == MsgBoxStyle::Critical ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxInformation;
        icon->setPixmap(this->style()->standardIcon(standard, nullptr, this).pixmap(extent, extent));
        layout->addWidget(icon, 0, 0, Qt::AlignTop);
    }
    layout->addWidget(m_prompt, 0, 1);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(m_buttons, 1, 0, 1, 2);
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
