#include "docserver/document_server.h"

#include <climits>
#include <limits>
#include <new>

#include "docserver/docserver.h"
#include "docserver/xml_text.h"
#include "platform/ansi.h"
#include "platform/exception_status.h"

namespace docserver {

namespace {

// Exceptions from pugixml's callers (our containers and strings) as
// statuses.
template <typename Operation>
HRESULT guarded(Operation&& operation) noexcept {
    return status_of_call(std::forward<Operation>(operation), DOCSERVER_E_OUTOFMEMORY, DOCSERVER_E_UNEXPECTED);
}

// A BSTR argument, up to its first NUL, as the document keeps text; false
// for UTF-16 that is no text (a lone surrogate). A null BSTR is empty text.
bool try_utf8_of(const OLECHAR* text, std::string& out) {
    return try_to_utf8(text == nullptr ? std::u16string_view() : std::u16string_view(text), out, ill_formed::refuse);
}

bool is_text(pugi::xml_node node) noexcept {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

}  // namespace

HRESULT document_server::QueryInterface(REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IDocumentServer) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IDocumentServer*>(this);
    return S_OK;
}

ULONG document_server::AddRef() noexcept { return ++references_; }

ULONG document_server::Release() noexcept {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT document_server::Reserved1() noexcept { return E_NOTIMPL; }
HRESULT document_server::Reserved2() noexcept { return E_NOTIMPL; }
HRESULT document_server::Reserved3() noexcept { return E_NOTIMPL; }
HRESULT document_server::Reserved4() noexcept { return E_NOTIMPL; }
HRESULT document_server::Reserved5() noexcept { return E_NOTIMPL; }

HRESULT document_server::Initialize() noexcept {
    initialised_ = true;
    return DOCSERVER_S_OK;
}

HRESULT document_server::Reset() noexcept {
    discard_document();
    initialised_ = false;
    return DOCSERVER_S_OK;
}

HRESULT document_server::NewDocument() noexcept {
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    discard_document();
    return DOCSERVER_S_OK;
}

HRESULT document_server::GetXML(BSTR* text, LONG option) noexcept {
    if (text == nullptr) return DOCSERVER_E_INVALIDARG;
    *text = nullptr;
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    if (option != 0 && option != 1) return DOCSERVER_E_INVALIDARG;
    return guarded([&] {
        std::u16string xml = write_xml(document_, option == 1);
        if (xml.size() > UINT_MAX / sizeof(OLECHAR)) return DOCSERVER_E_OUTOFMEMORY;
        BSTR result = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
        if (result == nullptr) return DOCSERVER_E_OUTOFMEMORY;
        *text = result;
        return DOCSERVER_S_OK;
    });
}

HRESULT document_server::CreateElement(ULONG parent, ULONG* node, BSTR name) noexcept {
    if (node == nullptr) return DOCSERVER_E_INVALIDARG;
    *node = 0;
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node into = parent == 0 ? document_.root() : handles_.node_of(parent);
        if (!into) return DOCSERVER_E_BADHANDLE;
        if (!try_utf8_of(name, name_) || !is_xml_name(name_)) return DOCSERVER_E_INVALIDARG;
        if (parent == 0 && document_.document_element()) return DOCSERVER_E_SECONDROOT;

        pugi::xml_node element = into.append_child(pugi::node_element);
        if (!element) return DOCSERVER_E_OUTOFMEMORY;
        HRESULT status = DOCSERVER_E_OUTOFMEMORY;
        try {
            if (element.set_name(name_.c_str())) status = try_publish(element, node);
        } catch (...) {
            into.remove_child(element);
            throw;
        }
        if (FAILED(status)) {
            into.remove_child(element);
            return status;
        }
        if (parent != 0) children_.appended_to(into);
        return DOCSERVER_S_OK;
    });
}

HRESULT document_server::SetAttribute(ULONG node, BSTR name, BSTR value) noexcept {
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node element = handles_.node_of(node);
        if (!element) return DOCSERVER_E_BADHANDLE;
        if (!try_utf8_of(name, name_) || !is_xml_name(name_)) return DOCSERVER_E_INVALIDARG;
        if (!try_utf8_of(value, value_)) return DOCSERVER_E_INVALIDARG;

        pugi::xml_attribute attribute = element.attribute(name_.c_str());
        if (attribute) return attribute.set_value(value_.c_str()) ? DOCSERVER_S_OK : DOCSERVER_E_OUTOFMEMORY;
        // pugixml leaves the name empty when it cannot store it.
        attribute = element.append_attribute(name_.c_str());
        if (attribute && *attribute.name() != 0 && attribute.set_value(value_.c_str())) return DOCSERVER_S_OK;
        if (attribute) element.remove_attribute(attribute);
        return DOCSERVER_E_OUTOFMEMORY;
    });
}

HRESULT document_server::SetText(ULONG node, BSTR text) noexcept {
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node element = handles_.node_of(node);
        if (!element) return DOCSERVER_E_BADHANDLE;
        if (!try_utf8_of(text, value_)) return DOCSERVER_E_INVALIDARG;

        pugi::xml_node last_old = element.last_child();
        if (!value_.empty()) {
            if (HRESULT status = try_append_text(element); FAILED(status)) return status;
        }
        // Only now that the new text is in place does the old one go.
        if (!last_old) return DOCSERVER_S_OK;
        pugi::xml_node end = last_old.next_sibling();
        for (pugi::xml_node child = element.first_child(); child != end;) {
            pugi::xml_node next = child.next_sibling();
            if (is_text(child)) element.remove_child(child);
            child = next;
        }
        return DOCSERVER_S_OK;
    });
}

HRESULT document_server::AppendIndent(ULONG node, LONG depth) noexcept {
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node element = handles_.node_of(node);
        if (!element) return DOCSERVER_E_BADHANDLE;
        if (depth < 0 || depth > kMaxIndentDepth) return DOCSERVER_E_INVALIDARG;
        value_.assign(1, '\n');
        value_.append(static_cast<std::size_t>(depth), '\t');
        return try_append_text(element);
    });
}

HRESULT document_server::LoadXML(BSTR text) noexcept {
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    discard_document();
    return guarded([&] { return try_parse_xml(text, document_); });
}

HRESULT document_server::FindElement(ULONG parent, LONG index, ULONG* node, BSTR name) noexcept {
    if (node == nullptr) return DOCSERVER_E_INVALIDARG;
    *node = 0;
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node from = parent == 0 ? document_.document_element() : handles_.node_of(parent);
        if (!from && parent != 0) return DOCSERVER_E_BADHANDLE;
        if (index < 0) return DOCSERVER_E_INVALIDARG;
        if (!try_utf8_of(name, name_) || name_.empty()) return DOCSERVER_E_INVALIDARG;
        if (!from) return DOCSERVER_E_NOTFOUND;

        pugi::xml_node found = children_.named_child(from, name_.c_str(), static_cast<std::size_t>(index));
        if (!found) return DOCSERVER_E_NOTFOUND;
        return try_publish(found, node);
    });
}

HRESULT document_server::GetChildCount(ULONG node, LONG* count) noexcept {
    if (count == nullptr) return DOCSERVER_E_INVALIDARG;
    *count = 0;
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node element = handles_.node_of(node);
        if (!element) return DOCSERVER_E_BADHANDLE;
        std::size_t elements = children_.count(element);
        constexpr LONG kMost = std::numeric_limits<LONG>::max();
        *count = elements > static_cast<std::size_t>(kMost) ? kMost : static_cast<LONG>(elements);
        return DOCSERVER_S_OK;
    });
}

HRESULT document_server::GetChild(ULONG node, LONG index, ULONG* child) noexcept {
    if (child == nullptr) return DOCSERVER_E_INVALIDARG;
    *child = 0;
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node element = handles_.node_of(node);
        if (!element) return DOCSERVER_E_BADHANDLE;
        if (index < 0) return DOCSERVER_E_INVALIDARG;

        pugi::xml_node found = children_.child(element, static_cast<std::size_t>(index));
        if (!found) return DOCSERVER_E_NOTFOUND;
        return try_publish(found, child);
    });
}

HRESULT document_server::GetText(ULONG node, BSTR* text) noexcept {
    if (text == nullptr) return DOCSERVER_E_INVALIDARG;
    *text = nullptr;
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node element = handles_.node_of(node);
        if (!element) return DOCSERVER_E_BADHANDLE;

        // A field holds a single text node: hand its value over uncopied.
        std::string_view joined;
        std::size_t pieces = 0;
        for (pugi::xml_node child : element.children()) {
            if (!is_text(child)) continue;
            if (pieces == 0) {
                joined = child.value();
            } else {
                if (pieces == 1) value_.assign(joined);
                value_.append(child.value());
                joined = value_;
            }
            ++pieces;
        }
        return try_publish(joined, text);
    });
}

HRESULT document_server::GetAttribute(ULONG node, BSTR name, BSTR* value) noexcept {
    if (value == nullptr) return DOCSERVER_E_INVALIDARG;
    *value = nullptr;
    if (!initialised_) return DOCSERVER_E_NOTINITIALIZED;
    return guarded([&] {
        pugi::xml_node element = handles_.node_of(node);
        if (!element) return DOCSERVER_E_BADHANDLE;
        if (!try_utf8_of(name, name_) || name_.empty()) return DOCSERVER_E_INVALIDARG;

        pugi::xml_attribute attribute = element.attribute(name_.c_str());
        if (!attribute) return DOCSERVER_E_NOTFOUND;
        return try_publish(attribute.value(), value);
    });
}

void document_server::discard_document() noexcept {
    handles_.clear();
    children_.clear();
    document_.reset();
}

HRESULT document_server::try_append_text(pugi::xml_node element) {
    pugi::xml_node text = element.append_child(pugi::node_pcdata);
    if (!text) return DOCSERVER_E_OUTOFMEMORY;
    if (text.set_value(value_.c_str())) return DOCSERVER_S_OK;
    element.remove_child(text);
    return DOCSERVER_E_OUTOFMEMORY;
}

HRESULT document_server::try_publish(pugi::xml_node node, ULONG* out) {
    ULONG handle = handles_.handle_of(node);
    if (handle == 0) return DOCSERVER_E_OUTOFMEMORY;
    *out = handle;
    return DOCSERVER_S_OK;
}

HRESULT document_server::try_publish(std::string_view value, BSTR* out) {
    // Our strings are always valid UTF-8, so only the allocation can fail.
    if (!try_from_utf8(value, wide_, ill_formed::replace)) return DOCSERVER_E_OUTOFMEMORY;
    unique_bstr text(SysAllocStringLen(wide_.data(), static_cast<UINT>(wide_.size())));
    if (!text) return DOCSERVER_E_OUTOFMEMORY;
    *out = text.release();
    return DOCSERVER_S_OK;
}

}  // namespace docserver
