// The results part of the tools window as the operator uses it: the rank and import
// dialogs open modally from their buttons and are answered from inside, the export and
// the automatic publishing go to a folder chosen once.
#include <gmock/gmock.h>

#include <QApplication>
#include <QClipboard>
#include <filesystem>
#include <fstream>

#include "competition/EventChoices.h"
#include "competition/EventFiles.h"
#include "office/Diplomy.h"
#include "office/Discipliny.h"
#include "office/ImportDruzstev.h"
#include "office/Nastroje.h"
#include "office/Poradi.h"
#include "office/Umisteni.h"
#include "reports/Preview.h"
#include "reports/Publishing.h"
#include "reports/sheets/SeasonStamps.h"
#include "settings/Nastaveni.h"
#include "tests/support/Files.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PageQuery.h"
#include "tests/support/TeamLists.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr int CISLO = 0, DRUZSTVO = 1, BOD2 = 6, CELKEM = 15, PORADI = 16;

class ResultsTools : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
        op::click(*frmHlavni->btnNastroje);
        ASSERT_TRUE(frmNastroje->isVisible());
    }

    // The team and total of the preliminary rows from the first on, as the core writes them.
    void teams(const std::vector<std::pair<std::string, std::optional<int>>>& rows) {
        db::ResultSet& preliminary = competition().preliminary();
        for (std::size_t row = 0; row < rows.size(); ++row) {
            preliminary.moveTo(static_cast<int>(row));
            preliminary.edit();
            preliminary.setField("DRUZSTVO", rows[row].first);
            preliminary.setField(
                "CELKEM", rows[row].second ? db::FieldValue(*rows[row].second) : db::FieldValue());
            preliminary.post();
        }
    }

    // Opens the dialog with its button, as the program does, and runs the steps in it.
    template <typename Dialog>
    void inDialog(QPushButton& button, const std::function<void(Dialog&)>& steps) {
        bool opened = false;
        op::whenShown([&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "no modal dialog after " << button.text().toStdString();
            opened = true;
            steps(*dialog);
            if (dialog->isVisible()) {
                op::click(*dialog->btnZpet);
            }
        });
        op::click(button);
        EXPECT_TRUE(opened);
    }

    QStringList column(const QTableWidget& grid, int column) {
        QStringList texts;
        for (int row = 0; row < grid.rowCount(); ++row) {
            texts << (grid.item(row, column) ? grid.item(row, column)->text() : QString());
        }
        return texts;
    }
    std::string storedText(int row, int field) {
        return db::displayText(stored()[static_cast<std::size_t>(row)][field]);
    }
    QString shownInGrid(int row, int column) {
        QAbstractItemModel& model = *frmHlavni->DBGrid1->model();
        return model.data(model.index(row, column)).toString();
    }
};

TEST_F(ResultsTools, RanksArePreviewedAndWrittenOnlyOnZapsatWithTheGridShowingThem) {
    teams({{"Lhota", 7}, {"Ves", 4}, {"Žďár", 7}, {"", 3}, {"Bez součtu", std::nullopt}});
    inDialog<TfrmPoradi>(*frmNastroje->btnPoradi, [&](TfrmPoradi& dialog) {
        EXPECT_EQ(column(*dialog.gridNahled, 2).mid(0, 5), (QStringList{"2", "1", "2", "", ""}));
        EXPECT_TRUE(dialog.gridNahled->item(0, 0)->font().bold()) << "a changed rank stands out";
        EXPECT_FALSE(dialog.gridNahled->item(3, 0)->font().bold());
        EXPECT_THAT(dialog.lblSouhrn->text().toStdString(), HasSubstr("Bez součtu"));
        EXPECT_THAT(dialog.lblNapoveda->text().toStdString(), HasSubstr("Enter"));
    });
    EXPECT_EQ(storedText(0, PORADI), "") << "Zpět writes nothing";

    inDialog<TfrmPoradi>(*frmNastroje->btnPoradi,
                         [&](TfrmPoradi& dialog) { op::click(*dialog.btnZapsat); });
    EXPECT_EQ(storedText(0, PORADI), "2");
    EXPECT_EQ(storedText(1, PORADI), "1");
    EXPECT_EQ(storedText(2, PORADI), "2");
    EXPECT_EQ(storedText(3, PORADI), "") << "a blank name gets no rank";
    EXPECT_EQ(shownInGrid(1, PORADI), QStringLiteral("1")) << "the grid shows it at once";
    EXPECT_EQ(storedText(0, CELKEM), "7") << "totals are not touched";
    EXPECT_TRUE(fs::exists(folder.path() / "zmeny.csv"));
    EXPECT_THAT(fileBytes(folder.path() / "zmeny.csv"), HasSubstr(";DATAZLT;2;PORADI;;1"));
}

TEST_F(ResultsTools, APastedListIsPreviewedWithItsWarningsAndWrittenByNumber) {
    teams({{"Stará Lhota", std::nullopt}});
    QGuiApplication::clipboard()->setText(
        QStringLiteral("číslo\tdružstvo\r\n1\tHorní Lhota\r\n31\tNová Ves\r\n32\tNová Ves\r\n"));
    inDialog<TfrmImportDruzstev>(*frmNastroje->btnImport, [&](TfrmImportDruzstev& dialog) {
        op::click(*dialog.btnSchranka);
        EXPECT_THAT(dialog.lblZdroj->text().toStdString(), HasSubstr("tabulátor"));
        EXPECT_THAT(dialog.lblZdroj->text().toStdString(), HasSubstr("s hlavičkou"));
        ASSERT_EQ(dialog.gridNahled->rowCount(), 3);
        EXPECT_EQ(column(*dialog.gridNahled, 3)[0], QStringLiteral("Stará Lhota"));
        EXPECT_FALSE(column(*dialog.gridNahled, 4)[2].isEmpty()) << "a duplicate name is told";
        op::click(*dialog.btnZapsat);
        EXPECT_FALSE(dialog.isVisible());
    });
    const auto rows = stored();
    EXPECT_EQ(storedText(0, DRUZSTVO), "Horní Lhota");
    ASSERT_EQ(rows.size(), 32u) << "rows 31 and 32 are added";
    EXPECT_EQ(db::displayText(rows[30][CISLO]), "31");
    EXPECT_EQ(db::displayText(rows[31][DRUZSTVO]), "Nová Ves");
}

TEST_F(ResultsTools, AFileThatIsNoListIsRefusedNamingTheLineAndNothingIsWritten) {
    const fs::path list = folder.path() / "seznam.csv";
    std::ofstream(list, std::ios::binary) << "1;Lhota\n2;\"Ves\n";
    dialogs.answerInputs(QString::fromStdString(list.string()));
    inDialog<TfrmImportDruzstev>(*frmNastroje->btnImport, [&](TfrmImportDruzstev& dialog) {
        op::click(*dialog.btnSoubor);
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_THAT(dialogs.requests[0].text.toStdString(), HasSubstr("Řádek 2"));
        EXPECT_EQ(dialog.gridNahled->rowCount(), 0);
        op::click(*dialog.btnZapsat);
        EXPECT_TRUE(dialog.isVisible()) << "nothing read: nothing to write";
    });
    EXPECT_EQ(storedText(0, DRUZSTVO), "");
}

// The wrong export pasted from a spreadsheet takes the place of the list read before; the
// preview tells why, and there is nothing to write.
TEST_F(ResultsTools, APastedListOfTooManyTeamsIsRefusedInThePreviewWithNothingToWrite) {
    const QString refusal = QStringLiteral(
        "Soubor obsahuje 400 000 družstev; ZLT jich pojme nejvýše 500. Vybrali jste správný "
        "soubor?");
    inDialog<TfrmImportDruzstev>(*frmNastroje->btnImport, [&](TfrmImportDruzstev& dialog) {
        QGuiApplication::clipboard()->setText(QStringLiteral("1\tLhota\n"));
        op::click(*dialog.btnSchranka);
        ASSERT_EQ(dialog.gridNahled->rowCount(), 1);

        QGuiApplication::clipboard()->setText(QString::fromStdString(numberedTeams(1, 400000)));
        op::click(*dialog.btnSchranka);
        EXPECT_TRUE(dialogs.requests.empty()) << "told in the preview, not in a message box";
        ASSERT_EQ(dialog.gridNahled->rowCount(), 1);
        EXPECT_EQ(dialog.gridNahled->item(0, 0)->text(), refusal);
        EXPECT_EQ(dialog.gridNahled->columnSpan(0, 0), dialog.gridNahled->columnCount());
        EXPECT_TRUE(dialog.gridNahled->item(0, 0)->font().bold());
        EXPECT_THAT(dialog.lblZdroj->text().toStdString(), HasSubstr("nenačteno"));
        op::choose(*dialog.rbFinale);
        EXPECT_EQ(dialog.gridNahled->item(0, 0)->text(), refusal) << "in either round";

        EXPECT_FALSE(dialog.btnZapsat->isEnabled());
        op::click(*dialog.btnZapsat);
        EXPECT_TRUE(dialog.isVisible());

        QGuiApplication::clipboard()->setText(QString(int(competition::kLargestTeamList) + 1, 'x'));
        op::click(*dialog.btnSchranka);
        EXPECT_EQ(dialog.gridNahled->item(0, 0)->text(),
                  QStringLiteral("Text ve schránce má 16,1 MB; seznam družstev může mít "
                                 "nejvýše 16 MB."));

        const fs::path huge = folder.path() / "velky.csv";
        std::ofstream{huge};
        fs::resize_file(huge, std::uintmax_t{1} << 30);
        dialogs.answerInputs(QString::fromStdString(huge.string()));
        op::click(*dialog.btnSoubor);
        EXPECT_EQ(
            dialog.gridNahled->item(0, 0)->text().toStdString(),
            "Soubor " + huge.string() + " má 1,0 GB; seznam družstev může mít nejvýše 16 MB.");
        EXPECT_EQ(dialog.lblZdroj->text(), QStringLiteral("velky.csv: nenačteno"));
    });
    EXPECT_EQ(storedText(0, DRUZSTVO), "");
    EXPECT_EQ(stored().size(), 30u);
    EXPECT_FALSE(fs::exists(folder.path() / "zmeny.csv"));
}

// Numbers past the last row append rows: too many for the preliminary round's 30, but
// not for the finals' 12.
TEST_F(ResultsTools, AListThatWouldMakeARoundTooLongIsRefusedForThatRoundOnly) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(numberedTeams(31, 501)));
    inDialog<TfrmImportDruzstev>(*frmNastroje->btnImport, [&](TfrmImportDruzstev& dialog) {
        op::click(*dialog.btnSchranka);
        ASSERT_EQ(dialog.gridNahled->rowCount(), 1);
        EXPECT_EQ(dialog.gridNahled->item(0, 0)->text(),
                  QStringLiteral(
                      "Po importu by tabulka DATAZLT měla 501 řádků; ZLT jich pojme nejvýše 500."));
        op::choose(*dialog.rbFinale);
        EXPECT_EQ(dialog.gridNahled->rowCount(), 471);
        EXPECT_EQ(dialog.gridNahled->columnSpan(0, 0), 1);
        EXPECT_TRUE(dialog.btnZapsat->isEnabled());
        op::choose(*dialog.rbPredkolo);
        EXPECT_FALSE(dialog.btnZapsat->isEnabled());
        op::click(*dialog.btnZapsat);
        EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_EQ(stored().size(), 30u);
}

TEST_F(ResultsTools, TheExportGoesToTheFolderChosenOnceAndTheChoiceIsKept) {
    teams({{"<script>alert(1)</script>", 5}});
    const fs::path web = folder.path() / "web";
    fs::create_directory(web);
    dialogs.answerInputs(QString::fromStdString(web.string()));
    op::click(*frmNastroje->btnExport);
    ASSERT_FALSE(dialogs.requests.empty());
    EXPECT_THAT(dialogs.requests.back().text.toStdString(), HasSubstr("Zapsáno souborů"));
    EXPECT_TRUE(fs::exists(web / "index.html"));
    EXPECT_THAT(fileBytes(web / "predkolo.csv"), HasSubstr("<script>alert(1)</script>"));
    EXPECT_THAT(frmNastroje->lblVysledky->text().toStdString(), HasSubstr(web.string()));

    op::click(*frmNastroje->chkPublikovat);
    EXPECT_TRUE(frmNastroje->chkPublikovat->isChecked());
    EXPECT_THAT(
        fileBytes(folder.path() / competition::choiceFile(competition::EventChoice::Publishing)),
        HasSubstr("automaticky"));
}

// Chosen in the dialog with the keyboard where the focus is, previewed across the paper,
// the preview closed with Esc, and the dialog still there for another choice.
TEST_F(ResultsTools, DiplomasAreChosenInTheirDialogAndShownInThePreview) {
    EXPECT_EQ(frmNastroje->btnDiplomy->geometry(), QRect(16, 568, 121, 25));
    EXPECT_TRUE(frmNastroje->rect().contains(frmNastroje->btnDiplomy->geometry()));
    teams({{"Lhota", 7}, {"Ves", 4}, {"Žďár", 7}, {"Bez pořadí", std::nullopt}});
    inDialog<TfrmPoradi>(*frmNastroje->btnPoradi,
                         [&](TfrmPoradi& dialog) { op::click(*dialog.btnZapsat); });
    const int current = rows().recNo();
    inDialog<TfrmDiplomy>(*frmNastroje->btnDiplomy, [&](TfrmDiplomy& dialog) {
        EXPECT_THAT(dialog.lblSouhrn->text().toStdString(), HasSubstr("Diplomů: 3"));
        op::click(*dialog.editMista);
        ASSERT_EQ(QApplication::focusWidget(), dialog.editMista);
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("1"));
        EXPECT_EQ(dialog.editMista->value(), 1);
        EXPECT_THAT(dialog.lblSouhrn->text().toStdString(),
                    HasSubstr("Diplomů: 1 (za 1. místo Ves)"));
        op::click(*dialog.chkUcast);
        op::inPreview([&] { op::click(*dialog.btnNahled); },
                      [&](reports::PreviewWindow& preview) {
                          ASSERT_EQ(preview.pageCount(), 2);
                          EXPECT_GT(preview.pages()[0].width, preview.pages()[0].height);
                          EXPECT_THAT(test::texts(preview.pages()),
                                      ::testing::IsSupersetOf({QStringLiteral("Ves"),
                                                               QStringLiteral("za účast"),
                                                               QStringLiteral("Bez pořadí")}));
                      });
        EXPECT_TRUE(dialog.isVisible()) << "back in the dialog after the preview";
    });
    EXPECT_EQ(rows().recNo(), current) << "the grid's current row stays";
}

// Printed from the program, the diplomas carry the stamp of the season the settings file
// holds before anyone confirmed the details in this run, and the season confirmed after;
// the captions typed print under their lines and are there again next time.
TEST_F(ResultsTools, DiplomasCarryTheSeasonsStampConfirmedOrNotAndTheCaptionsTyped) {
    teams({{"Lhota", 7}, {"Ves", 4}});
    inDialog<TfrmPoradi>(*frmNastroje->btnPoradi,
                         [&](TfrmPoradi& dialog) { op::click(*dialog.btnZapsat); });
    const auto diplomas = [&](const std::function<void(TfrmDiplomy&)>& choose,
                              const std::function<void(const std::vector<reports::Page>&)>& check) {
        inDialog<TfrmDiplomy>(*frmNastroje->btnDiplomy, [&](TfrmDiplomy& dialog) {
            choose(dialog);
            op::inPreview([&] { op::click(*dialog.btnNahled); },
                          [&](reports::PreviewWindow& preview) { check(preview.pages()); });
        });
    };
    const auto stampedWith = [](bool summer) {
        const QImage stamp = reports::readSeasonStamp(competition::reportStamp(summer));
        return [stamp](const std::vector<reports::Page>& pages) {
            const auto stamps = drawn(pages, reports::DrawOp::Kind::Picture);
            ASSERT_EQ(stamps.size(), pages.size());
            for (const reports::DrawOp& shown : stamps) {
                EXPECT_EQ(shown.picture, stamp);
            }
        };
    };

    ASSERT_FALSE(detailsConfirmed());
    diplomas(
        [&](TfrmDiplomy& dialog) {
            op::click(*dialog.editPodpis2);
            press(Qt::Key_A, Qt::ControlModifier);
            type(QStringLiteral("Předseda poroty"));
        },
        [&](const std::vector<reports::Page>& pages) {
            stampedWith(true)(pages);
            EXPECT_THAT(test::texts(pages),
                        ::testing::IsSupersetOf({QStringLiteral("Hlavní rozhodčí"),
                                                 QStringLiteral("Předseda poroty"),
                                                 QStringLiteral("v celkovém pořadí")}));
        });
    EXPECT_THAT(
        fileBytes(folder.path() / competition::choiceFile(competition::EventChoice::DiplomaLayout)),
        HasSubstr("podpis2=Předseda poroty\n"));

    inSettings([] {
        op::choose(*frmNastaveni->rbZimni);
        op::click(*frmNastaveni->btnPotvrdit);
    });
    ASSERT_TRUE(detailsConfirmed());
    diplomas(
        [&](TfrmDiplomy& dialog) {
            EXPECT_EQ(dialog.editPodpis2->text(), QStringLiteral("Předseda poroty"));
            op::click(*dialog.chkPodpisy);
            EXPECT_FALSE(dialog.editPodpis1->isEnabled());
        },
        [&](const std::vector<reports::Page>& pages) {
            stampedWith(false)(pages);
            EXPECT_THAT(test::texts(pages),
                        ::testing::Not(::testing::Contains(QStringLiteral("Předseda poroty"))));
        });
}

// The second discipline judged by time in its dialog; its placings previewed from the
// times as typed, refused while one cannot be read, and written with the totals.
TEST_F(ResultsTools, PlacingsComeFromTheResultsOnceTheDisciplineIsJudgedByTime) {
    teams({{"Lhota", 1}, {"Ves", 2}, {"Žďár", 3}, {"Dvůr", 4}});
    execute(folder.database(),
            "UPDATE DATAZLT SET BOD1 = CISLO, DISCIPLINA2 = CASE CISLO WHEN 1 THEN '1:05,2' "
            "WHEN 2 THEN '58,9' WHEN 3 THEN '1:75' ELSE 'DNF' END WHERE CISLO <= 4");
    competition().live().databaseChanged();
    QApplication::processEvents();

    // A file broken by hand is told in red, and saving writes it whole again.
    std::ofstream(folder.path() / competition::choiceFile(competition::EventChoice::Disciplines))
        << "2=stopky\n";
    competition().check().reloadRules();
    inDialog<TfrmDiscipliny>(*frmNastroje->btnDiscipliny, [&](TfrmDiscipliny& dialog) {
        EXPECT_TRUE(dialog.lblChyba->isVisible());
        EXPECT_EQ(dialog.lblChyba->text().toStdString(), competition().check().rulesProblem());
        EXPECT_FALSE(dialog.chkObracene[1]->isEnabled()) << "turning a manual one means nothing";
        op::pick(*dialog.cbHodnoceni[1], 1);
        EXPECT_EQ(dialog.lblLepsi[1]->text(), QStringLiteral("lepší méně"));
        op::click(*dialog.btnUlozit);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(competition().check().rules().of({false, 2}).kind, competition::ResultKind::Time);
    EXPECT_EQ(competition().check().rulesProblem(), "");
    EXPECT_TRUE(
        fs::exists(folder.path() / competition::choiceFile(competition::EventChoice::Disciplines)));

    const auto hodnota = [](TfrmUmisteni& dialog, int row) {
        return dialog.gridNahled->item(row, 2);
    };
    inDialog<TfrmUmisteni>(*frmNastroje->btnUmisteni, [&](TfrmUmisteni& dialog) {
        EXPECT_FALSE(dialog.btnZapsat->isEnabled()) << "the first discipline is placed by hand";
        EXPECT_THAT(dialog.lblSouhrn->text().toStdString(), HasSubstr("ručně"));
        op::pick(*dialog.cbDisciplina, 1);
        ASSERT_EQ(dialog.gridNahled->rowCount(), 4);
        EXPECT_EQ(hodnota(dialog, 2)->foreground().color(), QColor(Qt::darkRed));
        EXPECT_THAT(hodnota(dialog, 2)->text().toStdString(), HasSubstr("1:75"));
        EXPECT_FALSE(dialog.btnZapsat->isEnabled());
        EXPECT_THAT(dialog.lblSouhrn->text().toStdString(),
                    ::testing::AllOf(HasSubstr("Nic nebylo zapsáno"), HasSubstr("Žďár")));
    });

    execute(folder.database(), "UPDATE DATAZLT SET DISCIPLINA2 = '1:15' WHERE CISLO = 3");
    competition().live().databaseChanged();
    QApplication::processEvents();
    inDialog<TfrmUmisteni>(*frmNastroje->btnUmisteni, [&](TfrmUmisteni& dialog) {
        op::pick(*dialog.cbDisciplina, 1);
        EXPECT_EQ(column(*dialog.gridNahled, 4), (QStringList{"2", "1", "3", ""}));
        EXPECT_EQ(hodnota(dialog, 1)->text(), QStringLiteral("58,9 s"));
        EXPECT_TRUE(dialog.gridNahled->item(0, 0)->font().bold());
        EXPECT_FALSE(dialog.gridNahled->item(3, 0)->font().bold()) << "no result, no placing";
        op::click(*dialog.btnZapsat);
        EXPECT_FALSE(dialog.isVisible());
    });
    for (const auto& [row, placing, total] : std::vector<std::tuple<int, std::string, std::string>>{
             {0, "2", "3"}, {1, "1", "3"}, {2, "3", "6"}, {3, "", "4"}}) {
        EXPECT_EQ(storedText(row, BOD2), placing) << "row " << row;
        EXPECT_EQ(storedText(row, CELKEM), total) << "row " << row;
    }
    EXPECT_EQ(shownInGrid(2, BOD2), QStringLiteral("3")) << "the grid shows them at once";
}

TEST_F(ResultsTools, AutomaticPublishingWithoutAFolderStaysOff) {
    dialogs.answerInputs({});
    op::click(*frmNastroje->chkPublikovat);
    EXPECT_FALSE(frmNastroje->chkPublikovat->isChecked());
}

}  // namespace
}  // namespace zlt::test
