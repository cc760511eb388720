#include "platform/DBNavigator.h"

#include "database/ResultSet.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"

namespace zlt::platform {
namespace {

const char* const kGlyphs[DBNavigator::Count] = {"|\u25C0", "\u25C0", "\u25B6", "\u25B6|",
                                                 "+",       "\u2212", "\u25B2", "\u2713",
                                                 "\u2715",  "\u21BB"};

}  // namespace

DBNavigator::DBNavigator(db::DataSource& source, QWidget* parent)
    : QWidget(parent), source_(source) {
    for (int which = 0; which < Count; ++which) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(kGlyphs[which]));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this,
                [this, which] { click(static_cast<Button>(which)); });
        buttons_[which] = button;
    }
    listener_ = source_.addListener([this](db::DataEvent) { updateButtons(); });
    updateButtons();
}

DBNavigator::~DBNavigator() {
    source_.removeListener(listener_);
}

void DBNavigator::setVisibleButtons(std::initializer_list<Button> visible) {
    for (QToolButton* button : buttons_) {
        button->setVisible(false);
    }
    for (Button which : visible) {
        buttons_[which]->setVisible(true);
    }
    layoutButtons();
}

void DBNavigator::setHints(const QStringList& hints) {
    for (int which = 0; which < Count && which < hints.size(); ++which) {
        buttons_[which]->setToolTip(hints[which]);
    }
}

void DBNavigator::click(Button which) {
    db::ResultSet* set = source_.dataSet();
    if (set == nullptr) {
        return;
    }
    runGuarded([&] {
        switch (which) {
            case First:
                set->first();
                break;
            case Prior:
                set->prior();
                break;
            case Next:
                set->next();
                break;
            case Last:
                set->last();
                break;
            case Insert:
                set->insert();
                break;
            case Delete:
                if (Dialogs::confirmDelete()) {
                    set->deleteRow();
                }
                break;
            case Edit:
                set->edit();
                break;
            case Post:
                set->post();
                break;
            case Cancel:
                set->cancel();
                break;
            case Refresh:
                set->refresh();
                break;
            case Count:
                break;
        }
    });
}

void DBNavigator::updateButtons() {
    const db::ResultSet* set = source_.dataSet();
    const bool open = set != nullptr && set->active();
    const bool editing = open && (set->state() == db::DataSetState::Edit ||
                                  set->state() == db::DataSetState::Insert);
    const bool hasRows = open && set->recordCount() > 0;
    buttons_[First]->setEnabled(open && !set->bof());
    buttons_[Prior]->setEnabled(open && !set->bof());
    buttons_[Next]->setEnabled(open && !set->eof());
    buttons_[Last]->setEnabled(open && !set->eof());
    buttons_[Insert]->setEnabled(open);
    buttons_[Delete]->setEnabled(hasRows);
    buttons_[Edit]->setEnabled(hasRows && !editing);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
    buttons_[Refresh]->setEnabled(open);
}

void DBNavigator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutButtons();
}

// The visible buttons share the width equally, as the classic navigator draws them.
void DBNavigator::layoutButtons() {
    std::vector<QToolButton*> visible;
    for (QToolButton* button : buttons_) {
        if (!button->isHidden()) {
            visible.push_back(button);
        }
    }
    if (visible.empty()) {
        return;
    }
    const int count = static_cast<int>(visible.size());
    for (int i = 0; i < count; ++i) {
        const int left = width() * i / count;
        const int right = width() * (i + 1) / count;
        visible[i]->setGeometry(left, 0, right - left, height());
    }
}

}  // namespace zlt::platform
