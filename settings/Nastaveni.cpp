#include "settings/Nastaveni.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QEvent>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "app/Hlavni.h"
#include "app/SharedState.h"
#include "finals/Finale.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Jpeg.h"
#include "platform/Picture.h"
#include "platform/TextFile.h"
#include "platform/Win1250.h"
#include "platform/WindowGeometry.h"
#include "reports/SeasonStamps.h"
#include "reports/TiskDisc.h"
#include "settings/DatabaseReset.h"
#include "settings/EventSettings.h"

namespace zlt {

TfrmNastaveni* frmNastaveni = nullptr;

namespace {

QLabel* caption(QWidget* parent, const QString& text, int top) {
    auto* label = new QLabel(text, parent);
    label->move(16, top);
    label->adjustSize();
    return label;
}

QLineEdit* box(QWidget* parent, int top) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(168, top, 209, 21);
    return edit;
}

// The settings file's new text, written completely to a temporary file beside it before
// anything is applied, and put in the old file's place only at the end. Any failure is
// "Cannot create file <name>", and the temporary file is removed again.
class PendingFile {
public:
    PendingFile(const std::filesystem::path& file, const std::vector<std::string>& lines)
        : file_(file), failure_("Cannot create file " + file.filename().string()) {
        std::string bytes;
        for (const std::string& line : lines) {
            bytes += platform::toWin1250(line) + "\r\n";
        }
        // A folder of that name could not be replaced at the end.
        std::error_code ignored;
        if (std::filesystem::is_directory(file, ignored)) {
            throw failure_;
        }
        std::string pattern = file.string() + ".tmp-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            throw failure_;
        }
        temporary_ = pattern;
        // mkstemp makes the file private; give it the old file's mode, or the usual one.
        struct stat old {};
        const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
        bool written = fchmod(fd, mode) == 0;
        for (std::size_t done = 0; written && done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            written = n > 0;
            done += written ? static_cast<std::size_t>(n) : 0;
        }
        written = written && fsync(fd) == 0;
        if (::close(fd) != 0 || !written) {
            std::remove(temporary_.c_str());
            throw failure_;
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (!temporary_.empty()) {
            std::remove(temporary_.c_str());
        }
    }

    void replaceOld() {
        if (std::rename(temporary_.c_str(), file_.c_str()) != 0) {
            throw failure_;
        }
        temporary_.clear();
    }

private:
    std::filesystem::path file_;
    std::runtime_error failure_;
    std::string temporary_;
};

}  // namespace

TfrmNastaveni::TfrmNastaveni() {
    setWindowTitle(QStringLiteral("Nastaveni programu"));
    platform::placeWindow(*this, 400, 558);
    Label1 = new QLabel(QStringLiteral("Základní údaje o ZLT "), this);
    platform::useDesignFont(*Label1, 14);
    Label1->move(104, 16);
    Label1->adjustSize();
    buildBoxes();
    buildChoices();
    buildButtons();

    const std::array<QWidget*, 18> tabOrder = {
        EditObec,    EditND[0],  EditND[1],  EditND[2],  EditND[3],   EditND[4],
        Edit6D,      EditNFD[0], EditNFD[1], EditNFD[2], btnPotvrdit, Button2,
        btnNeuvadet, EditCislo,  CheckBox1,  btnDelete,  rbLetni,     rbZimni};
    for (std::size_t i = 0; i + 1 < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    }
}

void TfrmNastaveni::buildBoxes() {
    Label12 = caption(this, QStringLiteral("Pořadové číslo ZLT :"), 72);
    EditCislo = box(this, 70);
    Label2 = caption(this, QStringLiteral("Místo a datum  : "), 104);
    EditObec = box(this, 102);
    const int disciplineTops[5] = {132, 166, 198, 230, 262};
    for (int i = 0; i < 5; ++i) {
        LabelND[i] =
            caption(this, QStringLiteral("Název %1.disciplíny :").arg(i + 1), 136 + 32 * i);
        EditND[i] = box(this, disciplineTops[i]);
    }
    Label8 = caption(this, QStringLiteral("Název 6.disciplíny - průběžné :"), 296);
    Edit6D = box(this, 294);
    for (int i = 0; i < 3; ++i) {
        LabelNFD[i] = caption(this, QStringLiteral("Název %1.finálové disciplíny :").arg(i + 1),
                              328 + 32 * i);
        EditNFD[i] = box(this, 326 + 32 * i);
    }
}

void TfrmNastaveni::buildChoices() {
    CheckBox1 = new QCheckBox(QStringLiteral("Zobrazit penalizaci při tisku"), this);
    CheckBox1->setGeometry(16, 432, 153, 17);
    btnDelete = addButton(QStringLiteral("Vymazat databáze"), {224, 424, 131, 25});
    connect(btnDelete, &QPushButton::clicked, this,
            [this] { platform::runGuarded([this] { btnDeleteClick(); }); });
    rbLetni = new QRadioButton(QStringLiteral("Letní hry"), this);
    rbLetni->setGeometry(48, 464, 113, 17);
    rbZimni = new QRadioButton(QStringLiteral("Zimní hry"), this);
    rbZimni->setGeometry(232, 464, 113, 17);
}

void TfrmNastaveni::buildButtons() {
    btnPotvrdit = addButton(QStringLiteral("Potvrdit"), {32, 488, 89, 25});
    btnPotvrdit->setToolTip(QStringLiteral("Zobrazí názvy disciplín do tisku  "));
    btnNeuvadet = addButton(QStringLiteral("Nezobrazit"), {154, 488, 75, 25});
    btnNeuvadet->setToolTip(QStringLiteral("Nezobrazí názvy disciplín a všechny smaže"));
    Button2 = addButton(QStringLiteral("Storno"), {264, 488, 89, 25});
    const std::pair<QPushButton*, void (TfrmNastaveni::*)()> commands[] = {
        {btnPotvrdit, &TfrmNastaveni::btnPotvrditClick},
        {btnNeuvadet, &TfrmNastaveni::btnNeuvadetClick},
        {Button2, &TfrmNastaveni::Button2Click}};
    for (const auto& [control, handler] : commands) {
        connect(control, &QPushButton::clicked, this,
                [this, handler] { platform::runGuarded([&] { (this->*handler)(); }); });
    }
}

std::array<QLineEdit*, 11> TfrmNastaveni::boxes() const {
    return {EditCislo, EditObec, EditND[0],  EditND[1],  EditND[2], EditND[3],
            EditND[4], Edit6D,   EditNFD[0], EditNFD[1], EditNFD[2]};
}

bool TfrmNastaveni::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QDialog::event(event);
}

void TfrmNastaveni::FormCreate() {
    Memo = platform::readWin1250Lines(settings::kSettingsFile);
    if (Memo.size() > settings::kLineCount) {
        Memo.resize(settings::kLineCount);
    }
    const settings::EventSettings saved = settings::settingsFromLines(Memo);
    const auto edits = boxes();
    for (std::size_t line = 0; line < edits.size(); ++line) {
        edits[line]->setText(QString::fromStdString(saved.texts[line]));
    }
    CheckBox1->setChecked(saved.penaltyShown);
    (saved.summer ? rbLetni : rbZimni)->setChecked(true);
    platform::showPicture(*frmHlavni->Image1,
                          platform::loadJpegFile(settings::mainWindowPicture(saved.summer)));
}

void TfrmNastaveni::FormActivate() {
    EditCislo->setFocus(Qt::ActiveWindowFocusReason);
}

// The file holds Windows-1250 text, one line per box; a box whose text could not be
// saved is refused before anything is applied, so what the windows show is always what
// the file will hold.
void TfrmNastaveni::refuseUnsavableText() const {
    const QLabel* const labels[11] = {Label12,     Label2,      LabelND[0], LabelND[1],
                                      LabelND[2],  LabelND[3],  LabelND[4], Label8,
                                      LabelNFD[0], LabelNFD[1], LabelNFD[2]};
    const auto edits = boxes();
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const std::string text = edits[i]->text().toStdString();
        const std::string label = labels[i]->text().trimmed().toStdString();
        if (text.find_first_of("\r\n") != std::string::npos) {
            throw std::runtime_error(label +
                                     " The text cannot hold a line break; nothing was saved");
        }
        try {
            platform::toWin1250(text);
        } catch (const platform::EncodingError& error) {
            throw std::runtime_error(label + " " + error.what() + "; nothing was saved");
        }
    }
}

void TfrmNastaveni::btnPotvrditClick() {
    refuseUnsavableText();
    // What can fail is done before the first step changes anything: the season's pictures
    // are loaded and the file's new text is written beside it, so a missing picture or a
    // read-only or full folder leaves the windows as they were.
    // Neither season chosen counts as winter.
    const bool summer = rbLetni->isChecked();
    const QImage picture = platform::loadJpegFile(settings::mainWindowPicture(summer));
    const QImage stamp = reports::readSeasonStamp(settings::reportStamp(summer));
    std::vector<std::string> lines;
    for (const QLineEdit* edit : boxes()) {
        lines.push_back(edit->text().toStdString());
    }
    lines.push_back(CheckBox1->isChecked() ? settings::kPenaltyShown : settings::kPenaltyHidden);
    lines.push_back(summer ? settings::kSummer : settings::kWinter);
    PendingFile file(settings::kSettingsFile, lines);

    const QString place = EditObec->text();
    frmHlavni->lblObec->setText(place);
    frmHlavni->lblObec->adjustSize();
    frmFinale->lblFobec->setText(place);
    frmFinale->lblFobec->adjustSize();
    frmHlavni->Label1->setText(EditCislo->text() + QStringLiteral(". ZELTORIA"));
    frmHlavni->setWindowTitle(EditCislo->text() + QStringLiteral(". Zeltoria"));
    frmHlavni->lblObec->show();
    Potvrzeno = true;
    frmTiskDisc->resetPenaltyColumn();
    Memo = lines;
    if (CheckBox1->isChecked()) {
        frmTiskDisc->showPenaltyColumn();
    }
    platform::showPicture(*frmHlavni->Image1, picture);
    reports::setSeasonStamps(stamp);
    file.replaceOld();
    accept();
}

void TfrmNastaveni::btnNeuvadetClick() {
    for (QLineEdit* edit : boxes()) {
        edit->clear();
    }
    Potvrzeno = false;
    frmHlavni->lblObec->hide();
    frmHlavni->Label1->setText(QStringLiteral("ZELTORIA"));
    frmHlavni->setWindowTitle(QStringLiteral("Zeltoria"));
    accept();
}

void TfrmNastaveni::Button2Click() {
    reject();
}

void TfrmNastaveni::btnDeleteClick() {
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Vymazání databáze"),
        QStringLiteral("Opravdu chcete smazat data ze základní a finálové části?"));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    settings::resetDatabase({frmHlavni->IB_DSQL1, frmHlavni->IBOQuery1},
                            {frmFinale->IB_DSQLF, frmFinale->IBOQueryF});
}

}  // namespace zlt
