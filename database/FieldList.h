#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zlt::db {

enum class FieldType { Integer, Text };

struct FieldDef {
    std::string name;  // column name in the table
    FieldType type;
    int length;                // characters for text fields, 0 for integers
    std::string displayLabel;  // the grid's column title; the name when there is none
    bool visible = true;       // hidden fields are carried but never shown
};

// The fixed list of fields a result set presents, in a binding order: the totals and the
// overall merge address fields by their position in it.
class FieldList {
public:
    FieldList(std::string table, std::vector<FieldDef> fields);

    const std::string& table() const { return table_; }
    int size() const { return static_cast<int>(fields_.size()); }
    const FieldDef& operator[](int position) const { return fields_.at(position); }
    std::optional<int> positionOf(std::string_view name) const;

    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

private:
    std::string table_;
    std::vector<FieldDef> fields_;
};

// DATAZLT, the preliminary round.
const FieldList& preliminaryFields();
// DATAZLTF, the finals.
const FieldList& finalsFields();

}  // namespace zlt::db
