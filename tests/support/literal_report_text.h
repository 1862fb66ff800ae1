#pragma once

// The report generator's text steps done literally, step by step as the
// report format defines them: slow, and plainly right. The tests and the
// report text fuzzer hold the fast versions against them.

#include <string>
#include <string_view>

// One pass over the whole text per alias.
inline std::string LiteralRewriteAliases(std::string text) {
    const std::string start = "\"Alias\">";
    std::size_t from = 0;
    for (;;) {
        std::size_t a = text.find(start, from);
        if (a == std::string::npos) return text;
        std::size_t e = text.find("</ALIAS", a);
        if (e == std::string::npos) return text;
        if (e - a <= 30) {
            std::string span = text.substr(a, e - a);
            std::string replacement;
            for (char c : span) replacement += c == ' ' ? std::string("()?!$%") : std::string(1, c);
            std::string out;
            std::size_t at = 0;
            for (std::size_t found = text.find(span); found != std::string::npos; found = text.find(span, at)) {
                out.append(text, at, found - at).append(replacement);
                at = found + span.size();
            }
            text = out.append(text, at, std::string::npos);
        }
        from = e;
    }
}

// The text up to and including the first closing tag; the text unchanged,
// and false, without one.
inline bool LiteralCutAfter(std::string& text, std::string_view closingTag) {
    for (std::size_t at = 0; at + closingTag.size() <= text.size(); ++at) {
        if (std::string_view(text).substr(at, closingTag.size()) == closingTag) {
            text = text.substr(0, at + closingTag.size());
            return true;
        }
    }
    return false;
}

inline std::string LiteralRemoveAmpersandEntities(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 5, "&amp;") == 0) {
            out += '&';
            at += 5;
        } else {
            out += text[at++];
        }
    }
    return out;
}
