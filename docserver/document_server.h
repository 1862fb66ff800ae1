#pragma once

// The document server object: one XML document at a time, held by pugixml,
// reached through IDocumentServer. Reference counted; the creator holds the
// first reference and the last Release deletes it.
//
// Contract beyond the interface comments (codeplug/idocumentserver.h):
// - Every operation but Reset and the IUnknown ones fails with
//   DOCSERVER_E_NOTINITIALIZED until Initialize; Reset also undoes Initialize.
// - Arguments are checked in this order: a null out pointer
//   (DOCSERVER_E_INVALIDARG, before anything else, since no result could be
//   given), initialisation, the node handle, then index, depth, option and
//   names. On failure an out handle is 0 and an out BSTR null.
// - Handle 0 names the document in CreateElement and the root element in
//   FindElement, and no node anywhere else. Handles name elements only and
//   stay valid until the next Reset, NewDocument or LoadXML.
// - BSTR arguments are read up to their first NUL; a null BSTR is empty
//   text. Names must be XML names; values may be anything, control
//   characters included, and come back unchanged through GetXML and LoadXML.
// - SetText replaces all of the element's own text (indentation included)
//   by one text node at the end of its content; empty text leaves none.
// - AppendIndent appends a line feed and one tab per level, depth 0 to
//   kMaxIndentDepth.
// - GetText gives the element's own text and CDATA sections, joined, not the
//   text of its child elements.
// - GetXML option 0 writes no XML declaration, option 1 one that names the
//   ANSI code page; other options are DOCSERVER_E_INVALIDARG. An empty
//   document gives empty text (or the declaration alone).
// - LoadXML empties the document first, so after any failure the server is
//   initialised and holds an empty document.
// - One caller at a time: calls on one object must not overlap.

#include <atomic>
#include <pugixml.hpp>
#include <string>

#include "codeplug/idocumentserver.h"
#include "docserver/child_index.h"
#include "docserver/node_table.h"

namespace docserver {

class document_server final : public IDocumentServer {
public:
    static constexpr LONG kMaxIndentDepth = 1024;

    document_server() = default;
    document_server(const document_server&) = delete;
    document_server& operator=(const document_server&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;

    HRESULT Reserved1() noexcept override;
    HRESULT Reserved2() noexcept override;
    HRESULT Reserved3() noexcept override;
    HRESULT Reserved4() noexcept override;
    HRESULT Initialize() noexcept override;
    HRESULT Reset() noexcept override;
    HRESULT NewDocument() noexcept override;
    HRESULT GetXML(BSTR* text, LONG option) noexcept override;
    HRESULT CreateElement(ULONG parent, ULONG* node, BSTR name) noexcept override;
    HRESULT SetAttribute(ULONG node, BSTR name, BSTR value) noexcept override;
    HRESULT SetText(ULONG node, BSTR text) noexcept override;
    HRESULT AppendIndent(ULONG node, LONG depth) noexcept override;
    HRESULT LoadXML(BSTR text) noexcept override;
    HRESULT FindElement(ULONG parent, LONG index, ULONG* node, BSTR name) noexcept override;
    HRESULT GetChildCount(ULONG node, LONG* count) noexcept override;
    HRESULT GetChild(ULONG node, LONG index, ULONG* child) noexcept override;
    HRESULT Reserved5() noexcept override;
    HRESULT GetText(ULONG node, BSTR* text) noexcept override;
    HRESULT GetAttribute(ULONG node, BSTR name, BSTR* value) noexcept override;

private:
    ~document_server() = default;

    void discard_document() noexcept;
    // Appends a text node holding value_ to element.
    [[nodiscard]] HRESULT try_append_text(pugi::xml_node element);
    // Hands out the handle of node through out.
    [[nodiscard]] HRESULT try_publish(pugi::xml_node node, ULONG* out);
    // Hands out value as a new BSTR through out.
    [[nodiscard]] HRESULT try_publish(std::string_view value, BSTR* out);

    std::atomic<ULONG> references_{1};
    bool initialised_ = false;
    pugi::xml_document document_;
    node_table handles_;
    child_index children_;
    // Reused by every call, so that a field costs no allocation once they
    // have grown: the UTF-8 of the name and the value arguments, and the
    // UTF-16 of a result on its way into a BSTR.
    std::string name_;
    std::string value_;
    std::u16string wide_;
};

}  // namespace docserver
