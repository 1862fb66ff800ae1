#pragma once

// The document server: an outside COM component that holds one XML document
// at a time, builds it element by element, parses text into it and gives it
// back as text. Every operation returns a server status, which succeeds
// when its top bit is clear and its low 16 bits are 0x0400 (IsServerSuccess
// in codeplug/status.h).

#include "platform/com.h"
#include "platform/oleauto.h"

struct IDocumentServer : IUnknown {
    virtual HRESULT Reserved1() = 0;
    virtual HRESULT Reserved2() = 0;
    virtual HRESULT Reserved3() = 0;
    virtual HRESULT Reserved4() = 0;
    virtual HRESULT Initialize() = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT NewDocument() = 0;
    virtual HRESULT GetXML(BSTR* text, LONG option) = 0;
    // Parent 0 is the document itself: the new element becomes the root.
    virtual HRESULT CreateElement(ULONG parent, ULONG* node, BSTR name) = 0;
    virtual HRESULT SetAttribute(ULONG node, BSTR name, BSTR value) = 0;
    virtual HRESULT SetText(ULONG node, BSTR text) = 0;
    // Appends the line break and indentation that start a line at depth.
    virtual HRESULT AppendIndent(ULONG node, LONG depth) = 0;
    virtual HRESULT LoadXML(BSTR text) = 0;
    // The index-th (from 0) child element of parent with that name; parent 0
    // is the root element.
    virtual HRESULT FindElement(ULONG parent, LONG index, ULONG* node, BSTR name) = 0;
    virtual HRESULT GetChildCount(ULONG node, LONG* count) = 0;
    virtual HRESULT GetChild(ULONG node, LONG index, ULONG* child) = 0;
    virtual HRESULT Reserved5() = 0;
    virtual HRESULT GetText(ULONG node, BSTR* text) = 0;
    virtual HRESULT GetAttribute(ULONG node, BSTR name, BSTR* value) = 0;

protected:
    ~IDocumentServer() = default;
};

// The built-in server's class, {4945E3C6-92AC-4D86-90B8-91523A011867}, and
// this interface, {0FAB1A6C-DEC2-4BA5-A0E4-802EE5EAEE5B}. The server's
// component exports them to hosts as CLSID_DocumentServer and
// IID_IDocumentServer (docserver/docserver.h); the library creates the
// server from these, and so needs no link to the component.
inline constexpr CLSID kClsidDocumentServer = {0x4945E3C6, 0x92AC, 0x4D86,
                                               {0x90, 0xB8, 0x91, 0x52, 0x3A, 0x01, 0x18, 0x67}};
inline constexpr IID kIidDocumentServer = {0x0FAB1A6C, 0xDEC2, 0x4BA5,
                                           {0xA0, 0xE4, 0x80, 0x2E, 0xE5, 0xEA, 0xEE, 0x5B}};
