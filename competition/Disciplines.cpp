#include "competition/Disciplines.h"

namespace zlt::competition {

std::string Discipline::name() const {
    return (finals ? "F" : "") + std::to_string(number);
}

std::optional<Discipline> Discipline::named(std::string_view name) {
    const bool finals = !name.empty() && (name.front() == 'F' || name.front() == 'f');
    if (finals) {
        name.remove_prefix(1);
    }
    const int most = finals ? 3 : 6;
    if (name.size() != 1 || name.front() < '1' || name.front() > '0' + most) {
        return std::nullopt;
    }
    return Discipline{finals, name.front() - '0'};
}

std::string Discipline::resultField() const {
    return (finals ? "FDISCIPLINA" : "DISCIPLINA") + std::to_string(number);
}

std::string Discipline::placingField() const {
    return (finals ? "FBOD" : "BOD") + std::to_string(number);
}

std::string Discipline::caption() const {
    std::string caption = std::to_string(number);
    caption += ". disciplína";
    if (finals) {
        caption += " finále";
    }
    return caption;
}

const std::array<Discipline, 9>& allDisciplines() {
    static const std::array<Discipline, 9> disciplines{
        Discipline{false, 1}, Discipline{false, 2}, Discipline{false, 3},
        Discipline{false, 4}, Discipline{false, 5}, Discipline{false, 6},
        Discipline{true, 1},  Discipline{true, 2},  Discipline{true, 3}};
    return disciplines;
}

const DisciplineRule& DisciplineRules::of(const Discipline& discipline) const {
    return discipline.finals ? finals.at(discipline.number - 1)
                             : preliminary.at(discipline.number - 1);
}

DisciplineRule& DisciplineRules::of(const Discipline& discipline) {
    return discipline.finals ? finals.at(discipline.number - 1)
                             : preliminary.at(discipline.number - 1);
}

std::string ruleLine(const Discipline& discipline, const DisciplineRule&) {
    return discipline.name() + "=rucni";
}

std::optional<std::pair<Discipline, DisciplineRule>> parseRuleLine(std::string_view,
                                                                   std::string* why) {
    if (why != nullptr) {
        *why = "Přiřazení nelze přečíst.";
    }
    return std::nullopt;
}

LoadedRules loadDisciplineRules(const std::filesystem::path&) {
    return {};
}

void saveDisciplineRules(const std::filesystem::path&, const DisciplineRules&) {}

ReadResult readResult(ResultKind, std::string_view text) {
    ReadResult read;
    read.withoutResult = text.empty();
    return read;
}

}  // namespace zlt::competition
