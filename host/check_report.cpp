#include "host/check_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::ordered_json;

const char* severity_name(severity level) noexcept { return level == severity::error ? "error" : "warning"; }

std::size_t count(const std::vector<Finding>& findings, severity level) {
    return static_cast<std::size_t>(
        std::count_if(findings.begin(), findings.end(), [&](const Finding& f) { return f.level == level; }));
}

std::string counted(std::size_t number, const char* noun) {
    return std::to_string(number) + " " + noun + (number == 1 ? "" : "s");
}

json alias_at(const Codeplug& codeplug, const RowsPlace& place) {
    const TypeRows* rows = RowsAt(codeplug, place);
    const std::u16string* alias = rows ? AliasOf(*rows) : nullptr;
    return alias ? json(Utf8Text(*alias)) : json(nullptr);
}

json position(const std::optional<std::size_t>& index) { return index ? json(*index + 1) : json(nullptr); }

}  // namespace

bool HasErrors(const std::vector<Finding>& findings) noexcept {
    return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.level == severity::error; });
}

std::string FindingsText(const std::string& file, const Codeplug& codeplug, const std::vector<Finding>& findings,
                         const FieldDisplayNames& names) {
    std::string text;
    for (const Finding& finding : findings) {
        text.append(severity_name(finding.level)).append(": ").append(names(finding.place.block));
        if (std::string item = DescribePlace(codeplug, finding.place); !item.empty()) text.append(", ").append(item);
        text.append(", ").append(names(finding.field)).append(": ").append(finding.message).push_back('\n');
    }
    text += file + ": " + counted(count(findings, severity::error), "error") + ", " +
            counted(count(findings, severity::warning), "warning") + "\n";
    return text;
}

std::string FindingsJson(const std::string& file, const Codeplug& codeplug, const std::vector<Finding>& findings,
                         const FieldDisplayNames& names) {
    json list = json::array();
    for (const Finding& finding : findings) {
        const RowsPlace& place = finding.place;
        std::string_view table = FieldName(finding.field);
        list.push_back({
            {"severity", severity_name(finding.level)},
            {"rule", finding.rule},
            {"block", FieldName(place.block)},
            {"list", position(place.list)},
            {"listAlias", place.list ? alias_at(codeplug, {place.block, place.list, std::nullopt}) : json(nullptr)},
            {"item", position(place.item)},
            {"itemAlias", place.item ? alias_at(codeplug, place) : json(nullptr)},
            {"fieldId", finding.field},
            {"field", table.empty() ? json(nullptr) : json(table)},
            {"fieldName", names(finding.field)},
            {"value", Utf8Text(finding.value)},
            {"message", finding.message},
        });
    }
    json document = {
        {"file", file},
        {"errors", count(findings, severity::error)},
        {"warnings", count(findings, severity::warning)},
        {"findings", std::move(list)},
    };
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
