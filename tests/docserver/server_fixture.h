#pragma once

// A document server made through COM and initialised, and short ways to
// drive it with literal UTF-16 text.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "codeplug/idocumentserver.h"
#include "docserver/docserver.h"
#include "platform/com_ptr.h"
#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"

inline unique_bstr make_bstr(std::u16string_view text) {
    return unique_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// The calls that hand out a handle: CreateElement, FindElement, GetChild.
enum class Handing { Create, Find, Child };

class DocumentServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer,
                                   server.put_void()),
                  S_OK);
        ASSERT_EQ(server->Initialize(), DOCSERVER_S_OK);
    }

    // The status of a call that hands out a handle, which must be 0 exactly
    // when the call fails; a null name stands for a null BSTR.
    HRESULT status(Handing call, ULONG parent, LONG index, const char16_t* name, ULONG* node = nullptr) {
        unique_bstr text = name ? make_bstr(name) : unique_bstr();
        ULONG handed = 77;
        HRESULT hr = call == Handing::Create ? server->CreateElement(parent, &handed, text.get())
                     : call == Handing::Find ? server->FindElement(parent, index, &handed, text.get())
                                             : server->GetChild(parent, index, &handed);
        EXPECT_EQ(handed == 0, FAILED(hr)) << "handle " << handed;
        if (node != nullptr) *node = handed;
        return hr;
    }
    // The handle of a call that must succeed.
    ULONG handle(Handing call, ULONG parent, LONG index, const char16_t* name) {
        ULONG node = 0;
        EXPECT_EQ(status(call, parent, index, name, &node), DOCSERVER_S_OK);
        return node;
    }
    ULONG create(ULONG parent, const char16_t* name) { return handle(Handing::Create, parent, 0, name); }
    ULONG find(ULONG parent, LONG index, const char16_t* name) { return handle(Handing::Find, parent, index, name); }
    ULONG child(ULONG parent, LONG index) { return handle(Handing::Child, parent, index, nullptr); }
    LONG child_count(ULONG node) {
        LONG count = -1;
        EXPECT_EQ(server->GetChildCount(node, &count), DOCSERVER_S_OK);
        return count;
    }

    void set(ULONG node, std::u16string_view name, std::u16string_view value) {
        EXPECT_EQ(server->SetAttribute(node, make_bstr(name).get(), make_bstr(value).get()), DOCSERVER_S_OK);
    }
    void set_text(ULONG node, std::u16string_view text) {
        EXPECT_EQ(server->SetText(node, make_bstr(text).get()), DOCSERVER_S_OK);
    }
    HRESULT load(std::u16string_view text) { return server->LoadXML(make_bstr(text).get()); }

    // GetXML, GetText or GetAttribute (by the name), which must succeed.
    std::u16string xml(LONG option = 0) { return text_of(server->GetXML(out.put(), option)); }
    std::u16string text(ULONG node) { return text_of(server->GetText(node, out.put())); }
    std::u16string attribute(ULONG node, std::u16string_view name) {
        return text_of(server->GetAttribute(node, make_bstr(name).get(), out.put()));
    }
    std::u16string text_of(HRESULT hr) {
        EXPECT_EQ(hr, DOCSERVER_S_OK);
        return out ? std::u16string(out.get(), out.length()) : std::u16string();
    }

    ComApartment com;
    com_ptr<IDocumentServer> server;
    unique_bstr out;
};
