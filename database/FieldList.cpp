#include "database/FieldList.h"

#include <algorithm>

namespace zlt::db {
namespace {

FieldDef integer(std::string name, std::string label, bool visible = true) {
    return {std::move(name), FieldType::Integer, 0, std::move(label), visible};
}

FieldDef text(std::string name, int length, std::string label) {
    return {std::move(name), FieldType::Text, length, std::move(label), true};
}

}  // namespace

FieldList::FieldList(std::string table, std::vector<FieldDef> fields)
    : table_(std::move(table)), fields_(std::move(fields)) {}

std::optional<int> FieldList::positionOf(std::string_view name) const {
    const auto found = std::find_if(fields_.begin(), fields_.end(),
                                    [&](const FieldDef& field) { return field.name == name; });
    if (found == fields_.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - fields_.begin());
}

const FieldList& preliminaryFields() {
    static const FieldList fields("DATAZLT", {
                                                 integer("CISLO", "ČÍSLO"),
                                                 text("DRUZSTVO", 25, "DRUŽSTVO"),
                                                 integer("PENALIZACE", "PENALIZACE"),
                                                 text("DISCIPLINA1", 14, "1.DISCIPLÍNA"),
                                                 integer("BOD1", "1.Pořadí"),
                                                 text("DISCIPLINA2", 14, "2.DISCIPLÍNA"),
                                                 integer("BOD2", "2.Pořadí"),
                                                 text("DISCIPLINA3", 14, "3.DISCIPLÍNA"),
                                                 integer("BOD3", "3.Pořadí"),
                                                 text("DISCIPLINA4", 14, "4.DISCIPLÍNA"),
                                                 integer("BOD4", "4.Pořadí"),
                                                 text("DISCIPLINA5", 14, "5.DISCIPLÍNA"),
                                                 integer("BOD5", "5.Pořadí"),
                                                 text("DISCIPLINA6", 14, "6.DISCIPLÍNA"),
                                                 integer("BOD6", "6.Pořadí"),
                                                 integer("CELKEM", "CELKEM"),
                                                 integer("PORADI", "POŘADÍ"),
                                                 integer("CELKEMF", "CELKEMF", false),
                                             });
    return fields;
}

const FieldList& finalsFields() {
    static const FieldList fields("DATAZLTF", {
                                                  text("DRUZSTVO", 25, "DRUŽSTVO"),
                                                  integer("FPOCATEK", "Pořadí"),
                                                  text("FDISCIPLINA1", 14, "1.DISCIPLÍNA"),
                                                  integer("FBOD1", "1.Pořadí"),
                                                  text("FDISCIPLINA2", 14, "2.DISCIPLÍNA"),
                                                  integer("FBOD2", "2.Pořadí"),
                                                  text("FDISCIPLINA3", 14, "3.DISCIPLÍNA"),
                                                  integer("FBOD3", "3.Pořadí"),
                                                  integer("FCELKEM", "CELKEM"),
                                                  integer("FPORADI", "POŘADÍ"),
                                              });
    return fields;
}

}  // namespace zlt::db
