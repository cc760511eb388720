#include "office/Projekce.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace zlt {

TfrmProjekce* frmProjekce = nullptr;

namespace {

using Mode = TfrmProjekce::Mode;

// What each mode reads and shows, and the keys that choose it.
struct ModeView {
    Mode mode;
    competition::StandingsRound round;
    QStringList totalTitles;
    Qt::Key digit;
    Qt::Key letter;
    QString name;
};

const std::vector<ModeView>& modeViews() {
    static const std::vector<ModeView> views{
        {Mode::Preliminary,
         competition::StandingsRound::Preliminary,
         {QStringLiteral("Celkem")},
         Qt::Key_1,
         Qt::Key_P,
         QStringLiteral("základní část")},
        {Mode::Finals,
         competition::StandingsRound::Finals,
         {QStringLiteral("Celkem")},
         Qt::Key_2,
         Qt::Key_F,
         QStringLiteral("finále")},
        {Mode::Overall,
         competition::StandingsRound::Overall,
         {QStringLiteral("Základní část"), QStringLiteral("Finále")},
         Qt::Key_3,
         Qt::Key_C,
         QStringLiteral("celkové pořadí")},
    };
    return views;
}

const ModeView& viewOf(Mode mode) {
    return modeViews()[static_cast<std::size_t>(mode)];
}

// The window is cut into equal bands: three for the heading, one for each line of a page
// and one for the hint. A band of a twentieth of a 1080-line projector is 54 pixels,
// readable from the back of a hall.
constexpr int kBands = 20;
constexpr int kHeadingBands = 3;
constexpr int kLinesPerPage = kBands - kHeadingBands - 1;
// The columns, in fractions of the width.
constexpr qreal kMargin = 0.03;
constexpr qreal kPlaceRight = 0.12;
constexpr qreal kTeamLeft = 0.16;
constexpr qreal kTotalWidth = 0.17;

const QColor kBackground{0x0b, 0x1f, 0x3a};
const QColor kStripe{0x16, 0x31, 0x5a};
const QColor kText{Qt::white};
const QColor kHeadingText{0xff, 0xd3, 0x4d};
const QColor kQuietText{0xa8, 0xbc, 0xd4};
const QColor kProblemText{0xff, 0x90, 0x90};

QString keysHint() {
    QStringList parts;
    for (const ModeView& view : modeViews()) {
        parts << QStringLiteral("%1/%2 %3")
                     .arg(QKeySequence(view.digit).toString(), QKeySequence(view.letter).toString(),
                          view.name);
    }
    parts << QStringLiteral("F11 nebo dvojklik: celá obrazovka")
          << QStringLiteral("pravé tlačítko: nabídka");
    return QStringLiteral("Klávesy po klepnutí do okna: ") + parts.join(QStringLiteral(" · "));
}

QFont sized(const QFont& base, qreal pixels, bool bold = false) {
    QFont font(base);
    font.setPixelSize(std::max(1, qRound(pixels)));
    font.setBold(bold);
    return font;
}

// From the left to the right edge of a column, in fractions of the width.
QRect columnOf(const QRect& line, qreal left, qreal right) {
    return QRect(qRound(line.width() * left), line.top(), qRound(line.width() * (right - left)),
                 line.height());
}

QRect totalColumn(const QRect& line, int column, int columns) {
    const qreal right = 1 - kMargin - (columns - 1 - column) * kTotalWidth;
    return columnOf(line, right - kTotalWidth, right);
}

}  // namespace

TfrmProjekce::TfrmProjekce(competition::Competition& competition) : competition_(competition) {
    setWindowTitle(QStringLiteral("Projekce"));
    // Shown and refreshed beside the operator's windows, it must never take their keys.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    resize(960, 540);
    pageTimer_.setInterval(10'000);
    connect(&pageTimer_, &QTimer::timeout, this, [this] { nextPage(); });
    rereadTimer_.setSingleShot(true);
    rereadTimer_.setInterval(200);
    connect(&rereadTimer_, &QTimer::timeout, this, [this] { reread(); });
    connect(&competition_.live(), &competition::LiveChanges::changed, this, [this] {
        if (isVisible() && !rereadTimer_.isActive()) {
            rereadTimer_.start();
        }
    });
    for (auto signal :
         {&competition::EventDetails::loaded, &competition::EventDetails::confirmed}) {
        connect(&competition_.details(), signal, this, [this] { update(); });
    }
}

void TfrmProjekce::showBeside(const QWidget& operatorWindow) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto other = std::find_if(screens.begin(), screens.end(), [&](QScreen* screen) {
        return screen != operatorWindow.screen();
    });
    operatorWindow_ = QApplication::activeWindow();
    if (!isVisible() && other != screens.end()) {
        setGeometry((*other)->geometry());
        setWindowState(windowState() | Qt::WindowFullScreen);
    }
    show();
}

void TfrmProjekce::setMode(Mode mode) {
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    lines_.clear();
    lastChange_ = QTime();
    page_ = 0;
    reread();
}

// Not showFullScreen(): it would activate the window.
void TfrmProjekce::toggleFullScreen() {
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

std::vector<ProjectedLine> TfrmProjekce::pageLines() const {
    const auto first = std::min(lines_.size(), static_cast<std::size_t>(page_ * kLinesPerPage));
    const auto last = std::min(lines_.size(), first + kLinesPerPage);
    return {lines_.begin() + first, lines_.begin() + last};
}

int TfrmProjekce::pageCount() const {
    return std::max(1, (static_cast<int>(lines_.size()) + kLinesPerPage - 1) / kLinesPerPage);
}

qreal TfrmProjekce::band() const {
    return static_cast<qreal>(height()) / kBands;
}

QRect TfrmProjekce::lineRect(int line) const {
    const int top = qRound((kHeadingBands + line) * band());
    const int bottom = qRound((kHeadingBands + line + 1) * band());
    return QRect(0, top, width(), bottom - top);
}

// Only rows the database has committed are read, in a read of its own: the rows of the
// grids may hold one still being typed.
void TfrmProjekce::reread() {
    if (!competition_.preliminary().active()) {
        return;
    }
    try {
        std::vector<ProjectedLine> lines =
            competition::readStandings(competition_.committed(), viewOf(mode_).round);
        problem_.clear();
        if (lines != lines_ || lastChange_.isNull()) {
            lines_ = std::move(lines);
            lastChange_ = QTime::currentTime();
        }
    } catch (const std::exception& error) {
        // The last standings stay up; the operator's windows report the database's troubles.
        problem_ = QStringLiteral("Výsledky nelze načíst: %1").arg(QString::fromUtf8(error.what()));
    }
    page_ = std::min(page_, pageCount() - 1);
    restartPaging();
    update();
}

void TfrmProjekce::nextPage() {
    page_ = (page_ + 1) % pageCount();
    update();
}

// A change of the standings does not restart the paging, or steady changes would hold the
// first page.
void TfrmProjekce::restartPaging() {
    if (isVisible() && pageCount() > 1) {
        if (!pageTimer_.isActive()) {
            pageTimer_.start();
        }
    } else {
        pageTimer_.stop();
    }
}

void TfrmProjekce::setAcceptsFocus(bool accepts) {
    if (QWindow* window = windowHandle()) {
        window->setFlag(Qt::WindowDoesNotAcceptFocus, !accepts);
    }
}

bool TfrmProjekce::acceptsFocus() const {
    const QWindow* window = windowHandle();
    return window != nullptr && !window->flags().testFlag(Qt::WindowDoesNotAcceptFocus);
}

void TfrmProjekce::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reread();
}

void TfrmProjekce::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    pageTimer_.stop();
    setAcceptsFocus(false);
}

// Once the operator goes back to another window, the keys are not lent any more. A platform
// that activates every window it shows, whatever the window asks, gets the keys handed back.
void TfrmProjekce::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) {
        return;
    }
    if (!isActiveWindow()) {
        setAcceptsFocus(false);
    } else if (!acceptsFocus() && operatorWindow_ != nullptr) {
        operatorWindow_->activateWindow();
    }
}

void TfrmProjekce::keyPressEvent(QKeyEvent* event) {
    const auto chosen = std::find_if(modeViews().begin(), modeViews().end(), [&](const auto& view) {
        return event->key() == view.digit || event->key() == view.letter;
    });
    if (chosen != modeViews().end()) {
        setMode(chosen->mode);
    } else if (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && isFullScreen())) {
        toggleFullScreen();
    } else {
        QWidget::keyPressEvent(event);
    }
}

// The operator's click lends the window the keys, for switching the mode.
void TfrmProjekce::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setAcceptsFocus(true);
        activateWindow();
        setFocus(Qt::MouseFocusReason);
    }
    QWidget::mousePressEvent(event);
}

void TfrmProjekce::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        toggleFullScreen();
    }
}

void TfrmProjekce::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    for (const ModeView& view : modeViews()) {
        QAction* action = menu.addAction(competition::standingsTitle(view.round), this,
                                         [this, &view] { setMode(view.mode); });
        action->setCheckable(true);
        action->setChecked(view.mode == mode_);
        action->setShortcut(view.digit);
    }
    menu.addSeparator();
    QAction* fullScreen =
        menu.addAction(QStringLiteral("Celá obrazovka"), this, [this] { toggleFullScreen(); });
    fullScreen->setCheckable(true);
    fullScreen->setChecked(isFullScreen());
    fullScreen->setShortcut(Qt::Key_F11);
    menu.exec(event->globalPos());
}

void TfrmProjekce::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    paintHeading(painter);
    paintLines(painter);
    paintFooter(painter);
}

void TfrmProjekce::paintHeading(QPainter& painter) const {
    const ModeView& view = viewOf(mode_);
    const int left = qRound(width() * kMargin);
    const int inner = width() - 2 * left;
    painter.setPen(kHeadingText);
    painter.setFont(sized(font(), band() * 0.8, true));
    painter.drawText(QRect(left, 0, inner, qRound(band() * 1.3)), Qt::AlignLeft | Qt::AlignVCenter,
                     competition::eventHeading(competition_.details()));
    const QRect second(left, qRound(band() * 1.3), inner, qRound(band() * 0.8));
    painter.setPen(kText);
    painter.setFont(sized(font(), band() * 0.5, true));
    painter.drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                     competition::standingsTitle(view.round));
    if (!lastChange_.isNull()) {
        painter.setPen(kQuietText);
        painter.setFont(sized(font(), band() * 0.45));
        painter.drawText(
            second, Qt::AlignRight | Qt::AlignVCenter,
            QStringLiteral("Poslední změna ") + lastChange_.toString(QStringLiteral("HH:mm:ss")));
    }
    const QRect titles = lineRect(-1);
    painter.setPen(kQuietText);
    painter.setFont(sized(font(), band() * 0.42, true));
    painter.drawText(columnOf(titles, kMargin, kPlaceRight), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Pořadí"));
    painter.drawText(columnOf(titles, kTeamLeft, 1 - kMargin), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Družstvo"));
    for (int column = 0; column < view.totalTitles.size(); ++column) {
        painter.drawText(totalColumn(titles, column, view.totalTitles.size()), Qt::AlignCenter,
                         view.totalTitles[column]);
    }
}

void TfrmProjekce::paintLines(QPainter& painter) const {
    const std::vector<ProjectedLine> shown = pageLines();
    painter.setFont(sized(font(), band() * 0.62, true));
    for (int index = 0; index < static_cast<int>(shown.size()); ++index) {
        const ProjectedLine& line = shown[static_cast<std::size_t>(index)];
        const QRect box = lineRect(index);
        painter.fillRect(box, index % 2 == 0 ? kStripe : kBackground);
        painter.setPen(kHeadingText);
        painter.drawText(columnOf(box, kMargin, kPlaceRight), Qt::AlignRight | Qt::AlignVCenter,
                         line.place);
        painter.setPen(kText);
        const int columns = static_cast<int>(line.totals.size());
        const QRect team = columnOf(box, kTeamLeft, 1 - kMargin - columns * kTotalWidth);
        painter.drawText(team, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(line.team, Qt::ElideRight, team.width()));
        for (int column = 0; column < columns; ++column) {
            painter.drawText(totalColumn(box, column, columns), Qt::AlignCenter,
                             line.totals[column]);
        }
    }
}

void TfrmProjekce::paintFooter(QPainter& painter) const {
    const int left = qRound(width() * kMargin);
    const QRect footer(left, lineRect(kLinesPerPage).top(), width() - 2 * left,
                       height() - lineRect(kLinesPerPage).top());
    painter.setFont(sized(font(), band() * 0.34));
    painter.setPen(problem_.isEmpty() ? kQuietText : kProblemText);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter,
                     problem_.isEmpty() ? keysHint() : problem_);
    if (pageCount() > 1) {
        painter.setPen(kText);
        painter.setFont(sized(font(), band() * 0.45, true));
        painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Strana %1/%2").arg(page_ + 1).arg(pageCount()));
    }
}

}  // namespace zlt
