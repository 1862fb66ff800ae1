#include "docserver/xml_text.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "docserver/docserver.h"
#include "platform/codepage.h"

namespace docserver {

namespace {

// No parse_eol: a carriage return in a value must come back as one. No
// parse_wconv_attribute or parse_wnorm_attribute: tabs and line breaks in
// attribute values come back as they went in. parse_ws_pcdata keeps the
// indentation and a value of spaces only. parse_doctype makes a document
// type declaration a node that we can refuse instead of one pugixml skips
// silently. parse_fragment keeps text outside the root, which we then
// refuse, where pugixml would drop it.
constexpr unsigned kParseFlags =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata | pugi::parse_doctype | pugi::parse_fragment;

constexpr unsigned kWriteFlags = pugi::format_raw | pugi::format_no_declaration;

class utf16_sink final : public pugi::xml_writer {
public:
    explicit utf16_sink(std::u16string& text) : text_(text), bytes_(text.size() * sizeof(char16_t)) {}

    void write(const void* data, std::size_t size) override {
        text_.resize((bytes_ + size + 1) / sizeof(char16_t));
        std::memcpy(reinterpret_cast<char*>(text_.data()) + bytes_, data, size);
        bytes_ += size;
    }

private:
    std::u16string& text_;
    std::size_t bytes_;
};

bool is_xml_space(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool is_whitespace(const char* text) noexcept {
    for (; *text != 0; ++text)
        if (!is_xml_space(*text)) return false;
    return true;
}

// Finds an element that holds an attribute twice. pugixml's traversal is
// iterative, so deep nesting cannot exhaust the stack.
class duplicate_attribute_finder final : public pugi::xml_tree_walker {
public:
    // Whether root or an element below it holds an attribute twice.
    bool finds_one_in(pugi::xml_node root) {
        found_ = holds_duplicate(root);
        if (!found_) root.traverse(*this);
        return found_;
    }

private:
    bool for_each(pugi::xml_node& node) override {
        found_ = node.type() == pugi::node_element && holds_duplicate(node);
        return !found_;
    }

    bool holds_duplicate(pugi::xml_node element) {
        names_.clear();
        for (pugi::xml_attribute attribute : element.attributes()) names_.push_back(attribute.name());
        if (names_.size() < 2) return false;
        std::sort(names_.begin(), names_.end(), [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
        return std::adjacent_find(names_.begin(), names_.end(),
                                  [](const char* a, const char* b) { return std::strcmp(a, b) == 0; }) != names_.end();
    }

    bool found_ = false;
    std::vector<const char*> names_;
};

HRESULT status_of(pugi::xml_parse_status status) noexcept {
    switch (status) {
        case pugi::status_ok:
            return DOCSERVER_S_OK;
        case pugi::status_out_of_memory:
            return DOCSERVER_E_OUTOFMEMORY;
        case pugi::status_bad_doctype:
            return DOCSERVER_E_DOCTYPE;
        default:
            return DOCSERVER_E_MALFORMED;
    }
}

// Checks what the fragment parse lets through and drops the whitespace
// around the root, which would otherwise be written back by GetXML.
HRESULT check_and_trim_top_level(pugi::xml_document& document) {
    std::size_t elements = 0;
    for (pugi::xml_node node : document.children()) {
        switch (node.type()) {
            case pugi::node_element:
                ++elements;
                break;
            case pugi::node_doctype:
                return DOCSERVER_E_DOCTYPE;
            case pugi::node_pcdata:
                if (!is_whitespace(node.value())) return DOCSERVER_E_MALFORMED;
                break;
            default:
                return DOCSERVER_E_MALFORMED;
        }
    }
    if (elements != 1) return DOCSERVER_E_MALFORMED;

    if (duplicate_attribute_finder().finds_one_in(document.document_element())) return DOCSERVER_E_MALFORMED;

    while (document.first_child().type() == pugi::node_pcdata) document.remove_child(document.first_child());
    while (document.last_child().type() == pugi::node_pcdata) document.remove_child(document.last_child());
    return DOCSERVER_S_OK;
}

}  // namespace

std::string encoding_name(UINT codePage) {
    switch (codePage) {
        case 932:
            return "Shift_JIS";
        case 936:
            return "GBK";
        case 949:
            return "EUC-KR";
        case 950:
            return "Big5";
        default:
            return "windows-" + std::to_string(codePage);
    }
}

std::u16string write_xml(const pugi::xml_document& document, bool declaration) {
    std::u16string text;
    if (declaration) {
        std::string head = "<?xml version=\"1.0\" encoding=\"" + encoding_name(GetACP()) + "\"?>\n";
        text.assign(head.begin(), head.end());
    }
    utf16_sink sink(text);
    document.save(sink, PUGIXML_TEXT(""), kWriteFlags, pugi::encoding_utf16_le);
    return text;
}

HRESULT try_parse_xml(const OLECHAR* text, pugi::xml_document& document) {
    static constexpr OLECHAR kEmpty[] = u"";
    if (text == nullptr) text = kEmpty;
    std::size_t length = std::char_traits<OLECHAR>::length(text);
    HRESULT status =
        status_of(document.load_buffer(text, length * sizeof(OLECHAR), kParseFlags, pugi::encoding_utf16_le).status);
    try {
        if (SUCCEEDED(status)) status = check_and_trim_top_level(document);
    } catch (...) {
        document.reset();
        throw;
    }
    if (FAILED(status)) document.reset();
    return status;
}

bool is_xml_name(std::string_view name) noexcept {
    auto is_start = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
    };
    auto is_part = [&](unsigned char c) { return is_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; };
    if (name.empty() || !is_start(static_cast<unsigned char>(name.front()))) return false;
    return std::all_of(name.begin() + 1, name.end(), [&](char c) { return is_part(static_cast<unsigned char>(c)); });
}

}  // namespace docserver
