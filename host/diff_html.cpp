// The HTML form of a comparison: a change sheet to print and file with the
// work order, in the look of the sample report (samples/report.xsl). UTF-8;
// every text from the codeplugs or the command line is escaped, and control
// characters show as their pictures (U+2400 on), so that nothing in a value
// can become markup or vanish.

#include <cstdio>
#include <span>
#include <variant>

#include "codeplug/layout.h"
#include "host/diff_report.h"

namespace {

// The sample report's look, cut to what a change sheet uses; the page's
// head and foot come after it (styleSheet below).
constexpr std::string_view kStyle = R"(html { background: #dfe3e8; }
body {
  margin: 0;
  font-family: "Segoe UI", "Helvetica Neue", Arial, "Liberation Sans", "DejaVu Sans", sans-serif;
  font-size: 9.5pt;
  line-height: 1.4;
  color: #1c2733;
}
.sheet {
  box-sizing: border-box;
  width: 210mm;
  margin: 10mm auto;
  padding: 14mm 15mm 16mm;
  background: #fff;
  box-shadow: 0 1px 4px rgba(0, 0, 0, 0.18);
}
h1, h2 { font-weight: 600; color: #143d66; break-after: avoid; page-break-after: avoid; }
h1 { font-size: 20pt; margin: 0 0 1mm; letter-spacing: -0.01em; }
h2 { font-size: 13pt; margin: 0 0 3mm; padding-bottom: 1.5mm; border-bottom: 1.5pt solid #143d66; }
.table-name { font-size: 8pt; font-weight: normal; color: #66727f; letter-spacing: 0.04em; }
.title { margin: 0 0 5mm; padding-bottom: 4mm; border-bottom: 3pt solid #143d66; }
.intro { margin: 0; color: #4d5a67; }
.identity {
  display: grid;
  grid-template-columns: repeat(6, 1fr);
  margin-bottom: 8mm;
  border: 0.75pt solid #c9d1da;
  border-radius: 2mm;
  background: #f5f7fa;
  break-inside: avoid;
}
.fact { grid-column: span 3; padding: 2.2mm 3mm; border-top: 0.75pt solid #dde3ea; }
.fact.major { grid-column: span 2; }
.fact:nth-child(-n+3) { border-top: none; }
.fact .label { font-size: 7pt; text-transform: uppercase; letter-spacing: 0.06em; color: #66727f; }
.fact .value { font-size: 10pt; font-weight: 600; min-height: 1.4em; overflow-wrap: anywhere; }
.fact.major .value { font-size: 12.5pt; color: #143d66; }
table { border-collapse: collapse; width: 100%; font-variant-numeric: tabular-nums; }
.grid th, .grid td { padding: 1.1mm 2mm; text-align: left; vertical-align: top; border-bottom: 0.5pt solid #dde3ea; }
.grid thead th {
  font-size: 7.5pt;
  font-weight: 600;
  text-transform: uppercase;
  letter-spacing: 0.04em;
  color: #52606d;
  background: #eef2f6;
  border-bottom: 1pt solid #9fb0c2;
}
.grid td:empty::after { content: "\2013"; color: #a7b1bb; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
.block { margin-bottom: 7mm; }
.changes { table-layout: fixed; }
.changes th:nth-child(1) { width: 27%; }
.changes th:nth-child(2) { width: 23%; }
.where { font-weight: 600; }
.item-alias { display: block; font-size: 8pt; color: #143d66; }
.where, .item-alias, .value-cell { overflow-wrap: anywhere; }
.value-cell {
  white-space: pre-wrap;
  font-family: "DejaVu Sans Mono", "Liberation Mono", Consolas, monospace;
  font-size: 8.5pt;
}
.value-cell.before { color: #8a1c1c; }
.value-cell.after { color: #1d5c2e; }
.type { display: block; font-family: "Liberation Sans", Arial, sans-serif; font-size: 7pt; color: #66727f; }
.empty-value { font-family: "Liberation Sans", Arial, sans-serif; font-style: italic; color: #66727f; }
.badge {
  display: inline-block;
  padding: 0 1.8mm;
  border-radius: 1mm;
  font-size: 7.5pt;
  letter-spacing: 0.04em;
  text-transform: uppercase;
  color: #fff;
  background: #1d5c2e;
}
.removed .badge { background: #8a1c1c; }
.content-cell { columns: 2; column-gap: 6mm; }
.content { display: block; break-inside: avoid; }
.content .name { font-family: "Liberation Sans", Arial, sans-serif; color: #52606d; }
.equal { margin: 6mm 0; font-size: 11pt; color: #1d5c2e; }
.sign-off {
  display: grid;
  grid-template-columns: repeat(4, 1fr);
  column-gap: 8mm;
  margin-top: 14mm;
  break-inside: avoid;
}
.sign-off .line { height: 10mm; border-bottom: 0.75pt solid #1c2733; }
.sign-off .label {
  padding-top: 1mm;
  font-size: 7.5pt;
  text-transform: uppercase;
  letter-spacing: 0.06em;
  color: #66727f;
}
@media print {
  html { background: none; }
  body { font-size: 9pt; }
  .sheet { width: auto; margin: 0; padding: 0; box-shadow: none; }
  .identity, .grid thead th, .badge { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)";

// The picture of a control character that no text shows: U+2400 to U+241F,
// U+2421 for DEL; tab, line feed and carriage return stay.
bool is_hidden_control(char32_t c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F; }

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-8 text as HTML text or attribute value.
void append_escaped(std::string& out, std::string_view utf8) {
    for (char c : utf8) {
        switch (c) {
            case '&':
                out.append("&amp;");
                break;
            case '<':
                out.append("&lt;");
                break;
            case '>':
                out.append("&gt;");
                break;
            case '"':
                out.append("&quot;");
                break;
            case '\'':
                out.append("&#39;");
                break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                if (is_hidden_control(byte))
                    append_utf8(out, byte == 0x7F ? char32_t{0x2421} : char32_t{0x2400} + byte);
                else
                    out.push_back(c);
            }
        }
    }
}

std::string escaped(std::string_view utf8) {
    std::string out;
    append_escaped(out, utf8);
    return out;
}

// A text inside a CSS string in the style element: quotes, backslashes and
// line breaks escaped, and "<" too, so that no "</style" can end the element.
std::string css_string(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '<' || byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%X ", static_cast<unsigned>(byte));
            out.append(escape);
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

// A field of the radio's identity, RI_BLOCK: its model and serial number.
std::string identity_value(const Codeplug& codeplug, LONG id) {
    auto block = codeplug.blocks.find(field::RI_BLOCK);
    if (block == codeplug.blocks.end() || !std::holds_alternative<EntryBlock>(block->second)) return {};
    const auto& [info, items] = std::get<EntryBlock>(block->second);
    auto value_in = [id](const TypeRows& rows) -> std::optional<std::string> {
        for (const FieldRow& row : rows)
            if (row.id == id) return Utf8(row.value);
        return std::nullopt;
    };
    if (std::optional<std::string> value = value_in(info)) return *value;
    return items.empty() ? std::string() : value_in(items.front()).value_or(std::string());
}

class sheet_writer {
public:
    sheet_writer(diff_wording& words, std::string& out) : words_(words), out_(out) {}

    void write(const std::vector<difference>& differences, const diff_sources& sources, const Codeplug& after) {
        const std::string model = identity_value(after, field::RI_MODELNUM);
        const std::string serial = identity_value(after, field::RI_SERIALNUM);
        const std::string title(words_.word(diff_word::title));
        out_.append("<!DOCTYPE html>\n<html lang=\"")
            .append(words_.language() == Language::German ? "de" : "en")
            .append("\">\n<head>\n<meta charset=\"utf-8\">\n<title>");
        append_escaped(out_, title + (model.empty() ? "" : ": " + model) + (serial.empty() ? "" : " " + serial));
        out_.append("</title>\n<style>\n");
        page_style(model, serial, title);
        out_.append(kStyle).append("</style>\n</head>\n<body>\n<div class=\"sheet\">\n<div class=\"title\"><h1>");
        append_escaped(out_, title);
        out_.append("</h1><p class=\"intro\">").append(escaped(words_.word(diff_word::intro))).append("</p></div>\n");

        out_.append("<div class=\"identity\">\n");
        fact(diff_word::model, model, true);
        fact(diff_word::serial, serial, true);
        fact(diff_word::differences, std::to_string(differences.size()), true);
        fact(diff_word::before, sources.before, false);
        fact(diff_word::after, sources.after, false);
        out_.append("</div>\n");

        if (differences.empty())
            out_.append("<p class=\"equal\">").append(escaped(words_.word(diff_word::equal))).append("</p>\n");
        for (std::size_t start = 0, end = 0; start < differences.size(); start = end) {
            while (end < differences.size() && differences[end].block == differences[start].block) ++end;
            block(differences[start].block, {differences.data() + start, end - start});
        }
        sign_off();
        out_.append("</div>\n</body>\n</html>\n");
    }

private:
    // Model and serial number in the head of every printed page, the title
    // and page number in its foot, as the sample report prints them.
    void page_style(const std::string& model, const std::string& serial, const std::string& title) {
        const std::string font = "    font: 7.5pt \"Liberation Sans\", Arial, sans-serif; color: #6b7785;\n";
        out_.append("@page {\n  size: A4;\n  margin: 16mm 15mm 18mm 15mm;\n")
            .append("  @top-left {\n    content: ")
            .append(css_string(model))
            .append(";\n")
            .append(font)
            .append("  }\n")
            .append("  @top-right {\n    content: ")
            .append(css_string(std::string(words_.word(diff_word::serial)) + " " + serial))
            .append(";\n")
            .append(font)
            .append("  }\n")
            .append("  @bottom-left {\n    content: ")
            .append(css_string(title))
            .append(";\n")
            .append(font)
            .append("  }\n  @bottom-right {\n    content: ")
            .append(css_string(std::string(words_.word(diff_word::page)) + " "))
            .append(" counter(page) ")
            .append(css_string(std::string(" ").append(words_.word(diff_word::of)).append(" ")))
            .append(" counter(pages);\n")
            .append(font)
            .append("  }\n}\n");
    }

    void fact(diff_word label, const std::string& value, bool major) {
        out_.append(major ? "<div class=\"fact major\">" : "<div class=\"fact\">")
            .append("<div class=\"label\">")
            .append(escaped(words_.word(label)))
            .append("</div><div class=\"value\">")
            .append(escaped(value))
            .append("</div></div>\n");
    }

    void block(LONG id, std::span<const difference> differences) {
        out_.append("<div class=\"block\">\n<h2>").append(escaped(words_.name(id)));
        out_.append(" <span class=\"table-name\">").append(escaped(FieldName(id))).append("</span></h2>\n");
        out_.append("<table class=\"grid changes\">\n<thead><tr>");
        for (diff_word heading : {diff_word::item, diff_word::field, diff_word::before, diff_word::after})
            out_.append("<th>").append(escaped(words_.word(heading))).append("</th>");
        out_.append("</tr></thead>\n<tbody>\n");
        for (const difference& found : differences) row(found);
        out_.append("</tbody>\n</table>\n</div>\n");
    }

    void row(const difference& found) {
        const bool inserted = found.kind == change_kind::item_inserted;
        const bool removed = found.kind == change_kind::item_removed;
        out_.append(inserted ? "<tr class=\"inserted\">" : removed ? "<tr class=\"removed\">" : "<tr>");
        out_.append("<td class=\"where\">");
        if (found.item) place(words_.item_noun(found.block), *found.item);
        if (found.member) place(words_.word(diff_word::member), *found.member);
        out_.append("</td>");
        if (inserted || removed) {
            const item_place& where = found.member ? *found.member : *found.item;
            out_.append("<td><span class=\"badge\">")
                .append(escaped(words_.word(inserted ? diff_word::inserted : diff_word::removed)))
                .append("</span></td>");
            out_.append(inserted ? "<td colspan=\"2\" class=\"value-cell content-cell after\">"
                                 : "<td colspan=\"2\" class=\"value-cell content-cell before\">");
            content(inserted ? *where.after : *where.before);
            out_.append("</td></tr>\n");
            return;
        }
        const FieldRow& named = found.after ? *found.after : *found.before;
        const bool types = !found.before || !found.after || found.before->type != found.after->type;
        out_.append("<td>").append(escaped(words_.name(named.id))).append("</td>");
        out_.append("<td class=\"value-cell before\">");
        if (found.before) value(*found.before, types);
        out_.append("</td><td class=\"value-cell after\">");
        if (found.after) value(*found.after, types);
        out_.append("</td></tr>\n");
    }

    void place(std::string_view noun, const item_place& where) {
        out_.append("<span class=\"item\">")
            .append(escaped(noun))
            .append(" ")
            .append(escaped(ItemPosition(where, words_)))
            .append("</span>");
        if (std::optional<std::u16string_view> alias = PlaceAlias(where))
            out_.append("<span class=\"item-alias\">").append(escaped(Utf8(*alias))).append("</span>");
    }

    void value(const FieldRow& row, bool withType) {
        if (row.value.empty())
            out_.append("<span class=\"empty-value\">(")
                .append(escaped(words_.word(diff_word::empty)))
                .append(")</span>");
        else
            append_escaped(out_, Utf8(row.value));
        if (withType)
            out_.append("<span class=\"type\">")
                .append(escaped(words_.word(diff_word::type)))
                .append(" ")
                .append(std::to_string(row.type))
                .append("</span>");
    }

    // An inserted or removed item's fields, one a line in two columns; a
    // list item's info fields and the number of its members.
    void content(const item_side& item) {
        const TypeRows& rows = item.entry ? *item.entry : item.list->info;
        for (const FieldRow& row : rows) {
            out_.append("<span class=\"content\"><span class=\"name\">").append(escaped(words_.name(row.id)));
            out_.append(":</span> ");
            value(row, false);
            out_.append("</span>");
        }
        if (item.list)
            out_.append("<span class=\"content\"><span class=\"name\">")
                .append(escaped(words_.word(diff_word::members)))
                .append(":</span> ")
                .append(std::to_string(item.list->items.size()))
                .append("</span>");
    }

    void sign_off() {
        out_.append("<div class=\"sign-off\">\n");
        for (diff_word label : {diff_word::technician, diff_word::date, diff_word::work_order, diff_word::signature})
            out_.append("<div><div class=\"line\"></div><div class=\"label\">")
                .append(escaped(words_.word(label)))
                .append("</div></div>\n");
        out_.append("</div>\n");
    }

    diff_wording& words_;
    std::string& out_;
};

}  // namespace

std::string DiffAsHtml(const std::vector<difference>& differences, diff_wording& words, const diff_sources& sources,
                       const Codeplug& after) {
    std::string out;
    sheet_writer(words, out).write(differences, sources, after);
    return out;
}
