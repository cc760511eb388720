#pragma once

#include <QStringList>
#include <QToolButton>
#include <QWidget>
#include <array>

#include "database/DataSource.h"

namespace zlt::platform {

// A row of buttons that moves through and edits a result set, enabled as the result set
// allows. Ten buttons exist; a window chooses which are visible and gives their hints.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, Count };

    explicit DBNavigator(db::DataSource& source, QWidget* parent = nullptr);
    ~DBNavigator() override;

    void setVisibleButtons(std::initializer_list<Button> buttons);
    // One hint per button, in the order of Button.
    void setHints(const QStringList& hints);
    QToolButton* button(Button which) const { return buttons_[which]; }

    void click(Button which);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateButtons();
    void layoutButtons();

    db::DataSource& source_;
    int listener_;
    std::array<QToolButton*, Count> buttons_{};
};

}  // namespace zlt::platform
