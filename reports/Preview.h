#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
#include <vector>

#include "reports/model/Page.h"
#include "reports/model/Report.h"

namespace zlt::reports {

class PageView;

// Shown in the status bar when "Print" finds no printer.
inline const QString kNoPrinterNotice =
    QStringLiteral("Není nainstalována žádná tiskárna – použijte Export PDF");

// Generates the report, shows it in a preview window and returns when the user has closed
// that window (or the program is ending). Window messages are processed meanwhile.
void previewReport(ReportDefinition& report);

// The print preview: zoom, paging, printer setup, printing, saving and loading the
// generated pages, and exporting them as PDF.
class PreviewWindow : public QMainWindow {
    Q_OBJECT
public:
    // A parent keeps the preview usable above a modal parent; it is a window of its own.
    explicit PreviewWindow(ReportDefinition& report, QWidget* parent = nullptr);

    // Generates the pages, showing the progress in the status bar.
    void generatePages();
    void showPage(int number);  // 1-based; a number outside the pages is ignored
    int currentPage() const { return current_; }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    const std::vector<Page>& pages() const { return pages_; }

    // Saves the pages; a name without a suffix gets ".zltr".
    void saveTo(const QString& file) const;
    void loadFrom(const QString& file);
    void exportTo(const QString& file) const;
    void print();
    void printerSetup();

    enum class Zoom { Fit, Actual, Width };
    void setZoom(Zoom zoom);
    double pixelsPerMm() const;

    QAction* ZoomFit;
    QAction* Zoom100;
    QAction* ZoomToWidth;
    QAction* FirstPage;
    QAction* PreviousPage;
    QAction* ToolButton2;
    QAction* LastPage;
    QAction* PrintSetup;
    QAction* Print;
    QAction* SaveReport;
    QAction* LoadReport;
    QAction* ExportPdf;
    QAction* ExitButton;
    QLabel* progressPanel;
    QLabel* pagePanel;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildToolBar();
    void buildShortcuts();
    void showProgress(int done, int total);
    void redraw();
    void askSaveReport();

    ReportDefinition* report_;  // none once saved pages are loaded
    std::vector<Page> pages_;
    int current_ = 1;
    Zoom zoom_ = Zoom::Width;
    int shownPercent_ = 0;
    QScrollArea* view_;
    PageView* sheet_;
};

}  // namespace zlt::reports
