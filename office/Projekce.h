#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "competition/Competition.h"
#include "competition/Standings.h"

namespace zlt {

// One team as the projector shows it: its place, its name and its totals.
using ProjectedLine = competition::StandingLine;

// The standings for a second screen or a projector, read from the committed rows alone so
// that a row the operator is still typing never shows. It follows the competition's
// changes by itself and never takes the keyboard from the operator's windows; the operator
// lends it the keys only by clicking into it.
class TfrmProjekce : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Preliminary, Finals, Overall };

    explicit TfrmProjekce(competition::Competition& competition);

    // Full screen on a screen other than the operator window's when there is one; else a
    // normal window beside it.
    void showBeside(const QWidget& operatorWindow);

    Mode mode() const { return mode_; }
    void setMode(Mode mode);
    void toggleFullScreen();

    // All teams shown, in their order, over all pages.
    const std::vector<ProjectedLine>& lines() const { return lines_; }
    // The lines shown now: those of the current page.
    std::vector<ProjectedLine> pageLines() const;
    int page() const { return page_; }
    int pageCount() const;
    void setPageInterval(int milliseconds) { pageTimer_.setInterval(milliseconds); }
    // Where the line of that place on the page is drawn.
    QRect lineRect(int line) const;
    // When the shown standings last differed from the ones before.
    QTime lastChange() const { return lastChange_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void reread();
    void nextPage();
    void restartPaging();
    void setAcceptsFocus(bool accepts);
    bool acceptsFocus() const;
    void paintHeading(QPainter& painter) const;
    void paintLines(QPainter& painter) const;
    void paintFooter(QPainter& painter) const;
    // The height of one line: the window is cut into equal bands.
    qreal band() const;

    competition::Competition& competition_;
    // The window that had the keys when the projector was shown.
    QPointer<QWidget> operatorWindow_;
    Mode mode_ = Mode::Preliminary;
    std::vector<ProjectedLine> lines_;
    QString problem_;
    QTime lastChange_;
    int page_ = 0;
    QTimer pageTimer_;
    // Gathers a burst of changes, such as a merge's rows, into one read.
    QTimer rereadTimer_;
};

extern TfrmProjekce* frmProjekce;

}  // namespace zlt
