#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <map>

namespace zlt::platform {
namespace {

QString& title() {
    static QString value = QStringLiteral("ZLT");
    return value;
}

Dialogs::Responder& responder() {
    static Dialogs::Responder value;
    return value;
}

QMessageBox::Icon toIcon(DialogIcon icon) {
    switch (icon) {
        case DialogIcon::Stop:
            return QMessageBox::Critical;
        case DialogIcon::Question:
            return QMessageBox::Question;
        case DialogIcon::Information:
            return QMessageBox::Information;
        case DialogIcon::Warning:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toStandard(DialogButton button) {
    switch (button) {
        case DialogButton::Ok:
            return QMessageBox::Ok;
        case DialogButton::Cancel:
            return QMessageBox::Cancel;
        case DialogButton::Yes:
            return QMessageBox::Yes;
        case DialogButton::No:
            return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

}  // namespace

void Dialogs::setApplicationTitle(const QString& value) {
    title() = value;
}

QString Dialogs::applicationTitle() {
    return title();
}

void Dialogs::setResponder(Responder value) {
    responder() = std::move(value);
}

Dialogs::InputResponder& inputResponder() {
    static Dialogs::InputResponder value;
    return value;
}

void Dialogs::setInputResponder(InputResponder value) {
    inputResponder() = std::move(value);
}

QString Dialogs::chooseFolder(const QString& caption) {
    if (inputResponder()) {
        return inputResponder()(caption);
    }
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption);
}

QString Dialogs::chooseFile(const QString& caption, const QString& filter) {
    if (inputResponder()) {
        return inputResponder()(caption);
    }
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, {}, filter);
}

std::optional<QString> Dialogs::askText(const QString& caption, const QString& label,
                                        const QString& text) {
    bool ok = true;
    const QString answer = inputResponder()
                               ? inputResponder()(caption)
                               : QInputDialog::getText(QApplication::activeWindow(), caption, label,
                                                       QLineEdit::Normal, text, &ok);
    if (!ok || answer.isNull()) {
        return std::nullopt;
    }
    return answer;
}

void Dialogs::showError(const QString& text) {
    show({applicationTitle(),
          text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.'),
          DialogIcon::Stop,
          {DialogButton::Ok},
          DialogButton::Ok});
}

DialogButton Dialogs::askYesNoCancel(const QString& caption, const QString& text) {
    return show({caption,
                 text,
                 DialogIcon::Question,
                 {DialogButton::Yes, DialogButton::No, DialogButton::Cancel},
                 DialogButton::No});
}

bool Dialogs::confirmBesideOtherTables(const QString& caption, int otherTables) {
    return otherTables == 0 ||
           askYesNoCancel(caption,
                          QStringLiteral("K databázi jsou právě připojené další stoly rozhodčích "
                                         "(%1). Změna se týká celé soutěže a uvidí ji i oni. "
                                         "Přesto pokračovat?")
                              .arg(otherTables)) == DialogButton::Yes;
}

bool Dialogs::confirmDelete() {
    return show({QStringLiteral("Confirm"),
                 QStringLiteral("Delete record?"),
                 DialogIcon::Question,
                 {DialogButton::Ok, DialogButton::Cancel},
                 DialogButton::Ok}) == DialogButton::Ok;
}

DialogButton Dialogs::show(const DialogRequest& request) {
    if (responder()) {
        return responder()(request);
    }
    QMessageBox box(toIcon(request.icon), request.caption, request.text);
    // Error texts quote names and database messages; a '<' in them must not turn into markup.
    box.setTextFormat(Qt::PlainText);
    std::map<QAbstractButton*, DialogButton> answers;
    for (DialogButton button : request.buttons) {
        answers[box.addButton(toStandard(button))] = button;
    }
    box.setDefaultButton(toStandard(request.defaultButton));
    // Closing the box is Cancel where there is one, else the default answer.
    const bool cancellable = std::find(request.buttons.begin(), request.buttons.end(),
                                       DialogButton::Cancel) != request.buttons.end();
    box.setEscapeButton(toStandard(cancellable ? DialogButton::Cancel : request.defaultButton));
    box.exec();
    const auto answer = answers.find(box.clickedButton());
    if (answer == answers.end()) {
        return cancellable ? DialogButton::Cancel : request.defaultButton;
    }
    return answer->second;
}

}  // namespace zlt::platform
