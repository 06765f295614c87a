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

namespace {

// Positions of the runs of a line after its first group of TABs; the spacing that lines them up best wins.
qreal ColumnStart(const QFontMetricsF& metrics, const QString& line, qreal tabStop) {
    const qsizetype tab = line.indexOf('\t');
    qreal x = metrics.horizontalAdvance(line.left(tab));
    qsizetype i = tab;
    while (i < line.size() && line[i] == '\t') {
        x = (std::floor(x / tabStop) + 1) * tabStop;
        ++i;
    }
    return x;
}

qreal ChooseTabStop(const QFontMetricsF& metrics, const QStringList& lines) {
    const qreal average = metrics.averageCharWidth();
    const qreal conventional = std::round(8 * average);
    qreal best = conventional;
    qsizetype bestColumns = -1;
    // Without TABs every spacing ties, and the conventional one is the closest.
    for (qreal stop = std::round(4 * average); stop <= std::round(16 * average); stop += 1) {
        QSet<qint64> columns;
        for (const QString& line : lines) {
            if (line.contains('\t')) {
                columns.insert(qRound64(ColumnStart(metrics, line, stop)));
            }
        }
        const bool fewer = bestColumns < 0 || columns.size() < bestColumns;
        const bool closer =
            columns.size() == bestColumns && std::abs(stop - conventional) < std::abs(best - conventional);
        if (fewer || closer) {
            best = stop;
            bestColumns = columns.size();
        }
    }
    return best;
}

// A button's text as the user reads it: an "&" before an access key is not shown, "&&" shows one "&".
QString WithoutAccessKeys(const QString& text) {
    static const QRegularExpression accessKey(QStringLiteral("&(.)"), QRegularExpression::DotMatchesEverythingOption);
    return QString(text).replace(accessKey, QStringLiteral("\\1"));
}

} // namespace

int PromptWidthLimit(const QScreen* screen) {
    constexpr int kWithoutScreen = 1600;
    return screen != nullptr ? screen->availableGeometry().width() * 9 / 10 : kWithoutScreen;
}

PromptView::PromptView(const QString& prompt, int maximumWidth, QWidget* parent) : QWidget(parent) {
    QString text = prompt;
    // CR LF, a lone CR and a lone LF each break a line once.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_lines = text.split('\n');

    const QFontMetricsF metrics(font());
    const qreal tabStop = ChooseTabStop(metrics, m_lines);
    qreal width = 0;
    for (const QString& line : m_lines) {
        QList<Run> runs;
        qreal x = 0;
        const QStringList parts = line.split('\t');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            runs << Run{x, parts[i]};
            x += metrics.horizontalAdvance(parts[i]);
            if (i + 1 < parts.size()) {
                x = (std::floor(x / tabStop) + 1) * tabStop;
            }
        }
        m_runs << runs;
        width = std::max(width, x);
    }
    m_size = QSize(std::min(maximumWidth, static_cast<int>(std::ceil(width))),
                   static_cast<int>(std::ceil(metrics.lineSpacing() * m_lines.size())));
}

void PromptView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QFontMetricsF metrics(font());
    qreal y = metrics.ascent();
    for (const QList<Run>& runs : m_runs) {
        for (const Run& run : runs) {
            const qreal room = width() - run.x;
            if (room <= 0) {
                break;
            }
            painter.drawText(QPointF(run.x, y), metrics.elidedText(run.text, Qt::ElideMiddle, room));
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
    QString buttons;
    for (const QAbstractButton* button : m_buttons->buttons()) {
        buttons += WithoutAccessKeys(button->text()) + QStringLiteral("   ");
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
