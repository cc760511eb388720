#include "office/ImportDruzstev.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include "competition/Refusal.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"

namespace zlt {
namespace {

constexpr QSize kWindow{680, 560};

QString separatorName(char separator) {
    switch (separator) {
        case ',':
            return QStringLiteral("čárka");
        case '\t':
            return QStringLiteral("tabulátor");
        default:
            return QStringLiteral("středník");
    }
}

QString encodingName(competition::TeamList::Encoding encoding) {
    switch (encoding) {
        case competition::TeamList::Encoding::Utf8WithBom:
            return QStringLiteral("UTF-8 s BOM");
        case competition::TeamList::Encoding::Win1250:
            return QStringLiteral("Windows-1250");
        default:
            return QStringLiteral("UTF-8");
    }
}

}  // namespace

TfrmImportDruzstev::TfrmImportDruzstev(competition::Competition& competition, QWidget* parent)
    : RoundDialog(competition, parent, QStringLiteral("Import družstev"), kWindow) {
    btnSoubor = platform::makeButton(
        this, QStringLiteral("Ze souboru…"), {16, 40, 121, 25},
        QStringLiteral("Načte seznam družstev ze souboru CSV nebo TXT (číslo a jméno, nebo jen "
                       "jméno)"));
    platform::onSignal(btnSoubor, &QPushButton::clicked, this, [this] { btnSouborClick(); });
    btnSchranka =
        platform::makeButton(this, QStringLiteral("Vložit ze schránky"), {144, 40, 121, 25},
                             QStringLiteral("Vloží seznam zkopírovaný z tabulkového procesoru"));
    platform::onSignal(btnSchranka, &QPushButton::clicked, this, [this] { btnSchrankaClick(); });
    lblZdroj = new QLabel(QStringLiteral("Zatím nic nenačteno"), this);
    lblZdroj->setGeometry(272, 44, 392, 20);
    placePreview(76, {QStringLiteral("Řádek"), QStringLiteral("Číslo"), QStringLiteral("Družstvo"),
                      QStringLiteral("Nahradí"), QStringLiteral("Upozornění")});
    showPreview();
}

void TfrmImportDruzstev::btnSouborClick() {
    const QString name = platform::Dialogs::chooseFile(
        QStringLiteral("Seznam družstev"),
        QStringLiteral("Seznamy družstev (*.csv *.tsv *.txt);;Všechny soubory (*)"));
    if (!name.isEmpty()) {
        read([&] { return competition::readTeamListFile(QFile::encodeName(name).toStdString()); },
             QFileInfo(name).fileName());
    }
}

void TfrmImportDruzstev::btnSchrankaClick() {
    const std::string text = QGuiApplication::clipboard()->text().toStdString();
    read(
        [&] {
            competition::requireListSize(text.size(), "Text ve schránce");
            return competition::readTeamList(text);
        },
        QStringLiteral("Schránka"));
}

// A list that cannot be read replaces nothing that was read before; one refused for its
// size does, and the preview tells why nothing is there to write.
void TfrmImportDruzstev::read(const std::function<competition::TeamList()>& reading,
                              const QString& source) {
    try {
        list_ = reading();
        sizeRefusal_.clear();
        lblZdroj->setText(QStringLiteral("%1: %2, %3%4")
                              .arg(source, separatorName(list_->separator),
                                   encodingName(list_->encoding),
                                   list_->header ? QStringLiteral(", s hlavičkou") : QString()));
    } catch (const competition::OversizedList& refusal) {
        list_.reset();
        sizeRefusal_ = QString::fromStdString(refusal.what());
        lblZdroj->setText(QStringLiteral("%1: nenačteno").arg(source));
    }
    showPreview();
}

void TfrmImportDruzstev::showPreview() {
    lines_.clear();
    refusal_ = sizeRefusal_;
    if (list_) {
        try {
            lines_ = competition::planImport(*list_, chosenRows());
        } catch (const competition::OversizedList& refusal) {
            refusal_ = QString::fromStdString(refusal.what());
        }
    }
    gridNahled->clearSpans();
    btnZapsat->setEnabled(refusal_.isEmpty());
    if (refusal_.isEmpty()) {
        showLines();
    } else {
        showRefusal();
    }
}

void TfrmImportDruzstev::showLines() {
    gridNahled->setRowCount(static_cast<int>(lines_.size()));
    int warned = 0;
    for (int row = 0; row < gridNahled->rowCount(); ++row) {
        const competition::ImportLine& line = lines_[static_cast<std::size_t>(row)];
        QStringList warnings;
        for (const std::string& warning : line.warnings) {
            warnings << QString::fromStdString(warning);
        }
        platform::setListRow(
            *gridNahled, row,
            {QString::number(line.line), QString::number(line.number),
             QString::fromStdString(line.name), QString::fromStdString(line.replaced),
             warnings.join(QStringLiteral("; "))});
        if (!line.warnings.empty()) {
            emphasize(row);
            ++warned;
        }
    }
    gridNahled->resizeColumnsToContents();
    lblSouhrn->setText(
        !list_ ? QStringLiteral("Načtěte seznam ze souboru nebo ze schránky.")
               : QStringLiteral("Družstev: %1, s upozorněním (tučně): %2. Zapíše se až po "
                                "stisku Zapsat.")
                     .arg(lines_.size())
                     .arg(warned));
}

// The refusal across the whole list, where the lines would be.
void TfrmImportDruzstev::showRefusal() {
    gridNahled->setRowCount(1);
    platform::setListRow(*gridNahled, 0, {refusal_, {}, {}, {}, {}});
    gridNahled->setSpan(0, 0, 1, gridNahled->columnCount());
    emphasize(0);
    lblSouhrn->setText(QStringLiteral("Seznam je odmítnut, nic se nezapíše."));
}

void TfrmImportDruzstev::write() {
    if (!refusal_.isEmpty()) {
        throw competition::Refusal(refusal_.toStdString());
    }
    if (!list_) {
        throw competition::Refusal("Nejdřív načtěte seznam družstev ze souboru nebo ze schránky");
    }
    competition_.writeImport(chosenRows(), lines_);
}

}  // namespace zlt
