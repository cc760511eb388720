#pragma once

#include <QString>
#include <filesystem>
#include <map>
#include <string>

#include "tests/support/Database.h"
#include "tests/support/PageQuery.h"

namespace zlt::test {

// Six finalists who carry 71 to 126 points on from the preliminary round and place 3, 2
// and 1 in the three final disciplines; their starting values by team name.
inline std::map<QString, QString> continuingFinalists(const std::filesystem::path& database) {
    execute(database, "DELETE FROM DATAZLTF");
    std::map<QString, QString> startingValues;
    for (int rank = 1; rank <= 6; ++rank) {
        const int start = 71 + 11 * (rank - 1);
        const std::string team = "Finalista " + std::to_string(rank);
        execute(database,
                "INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FBOD1, FBOD2, FBOD3, FPORADI, FCELKEM) "
                "VALUES ('" +
                    team + "', " + std::to_string(start) + ", 3, 2, 1, " + std::to_string(rank) +
                    ", " + std::to_string(start + 6) + ")");
        startingValues[QString::fromStdString(team)] = QString::number(start);
    }
    return startingValues;
}

// What a finals standings page or sheet shows under its second "Pořadí", by team name;
// nothing when no column bears that title.
inline std::map<QString, QString> startingValueColumn(const Lines& lines) {
    const QString rank = QStringLiteral("Pořadí");
    const auto header = std::find_if(lines.begin(), lines.end(), [&](const auto& line) {
        return std::count(line.begin(), line.end(), rank) == 2;
    });
    std::map<QString, QString> column;
    if (header == lines.end()) {
        return column;
    }
    for (auto line = header + 1; line != lines.end(); ++line) {
        if (line->size() == header->size()) {
            column[(*line)[1]] = (*line)[2];
        }
    }
    return column;
}

}  // namespace zlt::test
