#include "reports/Preview.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <stdexcept>

#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "reports/model/Generator.h"
#include "reports/model/PageTarget.h"
#include "reports/model/SavedReport.h"

namespace zlt::reports {
namespace {

const QString kFileFilter = QStringLiteral("ZLT reports (*.zltr)");
const QString kSuffix = QStringLiteral("zltr");
constexpr int kViewMargin = 24;  // pixels around the page in the view
// A page drawn larger than this on either side is drawn smaller: a saved report may hold
// any page up to 10 m long, and a widget cannot be larger than 2^24 pixels.
constexpr double kLargestViewSide = 1 << 20;

}  // namespace

// The current page at the zoom's scale. Only the part inside the view is drawn, into a
// picture no larger than that part, so a long page at a large zoom costs no more memory
// than a short one.
class PageView : public QWidget {
public:
    explicit PageView(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(0, 0);
    }
    // A copy, so that the view never draws pages that were replaced meanwhile.
    void showPage(const Page& page, double pixelsPerMm) {
        page_ = page;
        pixelsPerMm_ = pixelsPerMm;
        resize(std::max(1, qRound(page.width * pixelsPerMm)),
               std::max(1, qRound(page.height * pixelsPerMm)));
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QRect part = event->rect() & rect();
        if (part.isEmpty()) {
            return;
        }
        painter.drawImage(part.topLeft(), renderPart(page_, pixelsPerMm_ * 25.4, part));
    }

private:
    Page page_;
    double pixelsPerMm_ = 1;
};

void previewReport(ReportDefinition& report) {
    // A parentless window would be blocked by a modal dialog that asked for the preview
    // (the print choice dialog); as that dialog's child it takes keys and clicks, and stays
    // in front of it.
    PreviewWindow window(report, QApplication::activeModalWidget());
    const QPointer<QWidget> returnTo = QApplication::activeWindow();
    QEventLoop waiting;
    QObject::connect(&window, &PreviewWindow::closed, &waiting, &QEventLoop::quit);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &waiting, &QEventLoop::quit);
    // Without a window manager there is nobody to maximise the window, so it is also given
    // the whole screen by hand.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.setGeometry(screen->availableGeometry());
    }
    window.showMaximized();
    window.activateWindow();
    window.generatePages();
    if (window.isVisible()) {
        waiting.exec();
    }
    // The keyboard goes back to the window the preview was asked from.
    if (returnTo != nullptr && returnTo->isVisible()) {
        returnTo->activateWindow();
    }
}

PreviewWindow::PreviewWindow(ReportDefinition& report, QWidget* parent)
    : QMainWindow(parent), report_(&report) {
    setWindowTitle(report.title.isEmpty() ? QStringLiteral("Print Preview") : report.title);
    view_ = new QScrollArea(this);
    view_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    view_->setBackgroundRole(QPalette::Dark);
    sheet_ = new PageView(view_);
    view_->setWidget(sheet_);
    setCentralWidget(view_);
    progressPanel = new QLabel(this);
    progressPanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progressPanel->setMinimumWidth(60);
    pagePanel = new QLabel(this);
    statusBar()->addWidget(progressPanel);
    statusBar()->addWidget(pagePanel, 1);
    buildToolBar();
    buildShortcuts();
}

void PreviewWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Preview"));
    bar->setMovable(false);
    const auto command = [&](const char* text, auto handler) {
        QAction* action = bar->addAction(QString::fromUtf8(text));
        action->setToolTip(QString::fromUtf8(text).remove(QLatin1Char('&')));
        connect(action, &QAction::triggered, this,
                [this, handler] { platform::runGuarded([&] { handler(); }); });
        return action;
    };
    auto* zooms = new QActionGroup(this);
    ZoomFit = command("Zoom to fit", [this] { setZoom(Zoom::Fit); });
    Zoom100 = command("100%", [this] { setZoom(Zoom::Actual); });
    ZoomToWidth = command("Zoom to width", [this] { setZoom(Zoom::Width); });
    for (QAction* zoom : {ZoomFit, Zoom100, ZoomToWidth}) {
        zoom->setCheckable(true);
        zooms->addAction(zoom);
    }
    ZoomToWidth->setChecked(true);
    bar->addSeparator();
    FirstPage = command("First page", [this] { showPage(1); });
    PreviousPage = command("Previous page", [this] { showPage(current_ - 1); });
    ToolButton2 = command("Next page", [this] { showPage(current_ + 1); });
    LastPage = command("Last page", [this] { showPage(pageCount()); });
    bar->addSeparator();
    PrintSetup = command("Printer setup", [this] { printerSetup(); });
    Print = command("Print", [this] { print(); });
    PrintSetup->setEnabled(false);
    Print->setEnabled(false);
    bar->addSeparator();
    SaveReport = command("Save Report", [this] { askSaveReport(); });
    LoadReport = command("Load Report", [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, QStringLiteral("Load report"), {}, kFileFilter);
        if (!file.isEmpty())
            loadFrom(file);
    });
    ExportPdf = command("Export PDF", [this] {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Export PDF"), {},
                                                          QStringLiteral("PDF (*.pdf)"));
        if (!file.isEmpty())
            exportTo(file);
    });
    bar->addSeparator();
    ExitButton = command("&Close", [this] { close(); });
}

void PreviewWindow::buildShortcuts() {
    // Window-wide shortcuts see the keys before the page view would scroll with them.
    const auto key = [this](QKeySequence sequence, auto handler) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    key(Qt::Key_Escape, [this] { close(); });
    key(Qt::Key_PageUp, [this] { showPage(current_ - 1); });
    key(Qt::CTRL | Qt::Key_PageUp, [this] { showPage(1); });
    key(Qt::Key_PageDown, [this] { showPage(current_ + 1); });
    key(Qt::CTRL | Qt::Key_PageDown, [this] { showPage(pageCount()); });
    key(Qt::Key_Home, [this] { showPage(1); });
    key(Qt::Key_End, [this] { showPage(pageCount()); });
}

void PreviewWindow::generatePages() {
    shownPercent_ = 0;
    progressPanel->clear();
    pages_ = generate(*report_, [this](int done, int total) { showProgress(done, total); });
    progressPanel->clear();
    PrintSetup->setEnabled(true);
    Print->setEnabled(true);
    current_ = 1;
    showPage(1);
}

// The panel follows in steps of at least 5 %, and is empty at 0 and 100 %.
void PreviewWindow::showProgress(int done, int total) {
    const int percent = total > 0 ? done * 100 / total : 100;
    if (percent >= 100 || percent <= 0) {
        progressPanel->clear();
        return;
    }
    if (percent - shownPercent_ >= 5) {
        shownPercent_ = percent;
        progressPanel->setText(QStringLiteral("%1%").arg(percent));
        progressPanel->repaint();
    }
}

void PreviewWindow::showPage(int number) {
    if (number < 1 || number > pageCount()) {
        return;
    }
    statusBar()->clearMessage();
    current_ = number;
    pagePanel->setText(QStringLiteral("Page %1 of %2").arg(current_).arg(pageCount()));
    redraw();
}

void PreviewWindow::setZoom(Zoom zoom) {
    zoom_ = zoom;
    (zoom == Zoom::Fit ? ZoomFit : zoom == Zoom::Actual ? Zoom100 : ZoomToWidth)->setChecked(true);
    redraw();
}

double PreviewWindow::pixelsPerMm() const {
    const Page fallback;
    const Page& page = pages_.empty() ? fallback : pages_[current_ - 1];
    const double width = std::max(1, view_->viewport()->width() - kViewMargin) / page.width;
    const double height = std::max(1, view_->viewport()->height() - kViewMargin) / page.height;
    switch (zoom_) {
        case Zoom::Fit:
            return std::min(width, height);
        case Zoom::Actual:
            return logicalDpiX() / 25.4;
        case Zoom::Width:
            break;
    }
    return std::min(width, kLargestViewSide / std::max(page.width, page.height));
}

void PreviewWindow::redraw() {
    if (pages_.empty()) {
        return;
    }
    sheet_->showPage(pages_[current_ - 1], pixelsPerMm());
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (zoom_ != Zoom::Actual)
        redraw();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void PreviewWindow::askSaveReport() {
    QFileDialog dialog(this, QStringLiteral("Save report"), {}, kFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds it itself, asking before it replaces a file of the longer name.
    dialog.setDefaultSuffix(kSuffix);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveTo(dialog.selectedFiles().constFirst());
}

void PreviewWindow::saveTo(const QString& file) const {
    // A name typed into a dialog of the desktop's own may come back bare.
    saveReportFile(pages_, QFileInfo(file).suffix().isEmpty() ? file + "." + kSuffix : file);
}

void PreviewWindow::loadFrom(const QString& file) {
    if (!QFileInfo::exists(file)) {
        platform::Dialogs::show({platform::Dialogs::applicationTitle(),
                                 QStringLiteral("File does not exist"),
                                 platform::DialogIcon::Stop,
                                 {platform::DialogButton::Ok},
                                 platform::DialogButton::Ok});
        return;
    }
    std::vector<Page> loaded = loadReportFile(file);  // throws before anything changes
    pages_ = std::move(loaded);
    report_ = nullptr;
    PrintSetup->setEnabled(false);
    current_ = 1;
    showPage(1);
}

void PreviewWindow::exportTo(const QString& file) const {
    exportPdf(pages_, file);
}

void PreviewWindow::printerSetup() {
    if (report_ == nullptr) {
        return;
    }
    PrinterSettings& settings = report_->printer;
    QPrinter printer;
    if (!settings.printerName.isEmpty())
        printer.setPrinterName(settings.printerName);
    printer.setCopyCount(settings.copies);
    printer.setPageOrientation(report_->page.landscape ? QPageLayout::Landscape
                                                       : QPageLayout::Portrait);
    if (settings.firstPage > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(settings.firstPage, settings.lastPage);
    }
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    settings.printerName = printer.printerName();
    settings.copies = printer.copyCount();
    const bool range = printer.printRange() == QPrinter::PageRange;
    settings.firstPage = range ? printer.fromPage() : 0;
    settings.lastPage = range ? printer.toPage() : 0;
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    if (landscape != report_->page.landscape) {
        report_->page.landscape = landscape;
        // The preview shows the sheet as it will now print.
        generatePages();
    }
}

void PreviewWindow::print() {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        statusBar()->showMessage(kNoPrinterNotice);
        return;  // nothing to print on
    }
    // A print shows the rows as they are now, as a new preview would.
    const std::vector<Page> printed = report_ != nullptr ? generate(*report_) : pages_;
    if (printed.empty()) {
        return;
    }
    const PrinterSettings settings = report_ != nullptr ? report_->printer : PrinterSettings{};
    QPrinter printer(QPrinter::HighResolution);
    if (!settings.printerName.isEmpty())
        printer.setPrinterName(settings.printerName);
    printer.setCopyCount(settings.copies);
    printer.setFullPage(true);
    printer.setPageLayout(paperOf(printed.front()));
    // A range stored for more pages than there are now still prints something.
    const int count = static_cast<int>(printed.size());
    const int first = std::clamp(settings.firstPage > 0 ? settings.firstPage : 1, 1, count);
    const int last = settings.lastPage > 0 ? std::clamp(settings.lastPage, first, count) : count;
    QProgressDialog progress(QString(), QStringLiteral("Cancel"), 0, last - first + 1, this);
    progress.setWindowTitle(QStringLiteral("Printing progress"));
    progress.setWindowFlag(Qt::WindowStaysOnTopHint);
    progress.setMinimumDuration(0);
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw std::runtime_error("The printer " + printer.printerName().toStdString() +
                                 " cannot be used");
    }
    for (int number = first; number <= last; ++number) {
        progress.setValue(number - first);
        QApplication::processEvents();
        if (progress.wasCanceled()) {
            printer.abort();
            return;
        }
        if (number > first) {
            printer.setPageLayout(paperOf(printed[number - 1]));
            printer.newPage();
        }
        paintPage(painter, printed[number - 1]);
    }
    painter.end();
    progress.setValue(last - first + 1);
}

}  // namespace zlt::reports
