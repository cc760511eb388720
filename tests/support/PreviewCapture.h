#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <vector>

#include "reports/Preview.h"

namespace zlt::test {

// Runs a command that opens a preview and, once the preview window is up, the given steps
// on it; then closes the window so that the command can go on.
inline void whilePreviewOpen(const std::function<void()>& command,
                             const std::function<void(reports::PreviewWindow&)>& steps) {
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* preview = qobject_cast<reports::PreviewWindow*>(widget);
            if (preview != nullptr && preview->isVisible()) {
                steps(*preview);
                preview->close();
            }
        }
    });
    command();
}

// The pages a command showed in its preview; none when it showed no preview.
inline std::vector<reports::Page> previewedPages(const std::function<void()>& command) {
    std::vector<reports::Page> pages;
    whilePreviewOpen(command, [&](reports::PreviewWindow& preview) { pages = preview.pages(); });
    return pages;
}

}  // namespace zlt::test
