#pragma once

// A document server made through COM, initialised, and short ways to drive
// it with literal UTF-16 text.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "codeplug/idocumentserver.h"
#include "docserver/docserver.h"
#include "platform/com_ptr.h"
#include "platform/unique_bstr.h"

inline unique_bstr make_bstr(std::u16string_view text) {
    return unique_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

inline std::u16string text_of(const unique_bstr& text) {
    return text ? std::u16string(text.get(), text.length()) : std::u16string();
}

class DocumentServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer,
                                   server.put_void()),
                  S_OK);
        ASSERT_EQ(server->Initialize(), DOCSERVER_S_OK);
    }
    void TearDown() override {
        server.reset();
        CoUninitialize();
    }

    // The calls that hand out a handle give their status; a failed one must
    // clear the handle. A null name stands for a null BSTR.
    HRESULT create_status(ULONG parent, const char16_t* name) {
        ULONG node = 77;
        HRESULT hr = server->CreateElement(parent, &node, name ? make_bstr(name).get() : nullptr);
        EXPECT_EQ(node == 0, FAILED(hr)) << "handle " << node;
        return hr;
    }
    HRESULT find_status(ULONG parent, LONG index, const char16_t* name) {
        ULONG node = 77;
        HRESULT hr = server->FindElement(parent, index, &node, name ? make_bstr(name).get() : nullptr);
        EXPECT_EQ(node == 0, FAILED(hr)) << "handle " << node;
        return hr;
    }
    HRESULT child_status(ULONG parent, LONG index) {
        ULONG node = 77;
        HRESULT hr = server->GetChild(parent, index, &node);
        EXPECT_EQ(node == 0, FAILED(hr)) << "handle " << node;
        return hr;
    }

    ULONG create(ULONG parent, std::u16string_view name) {
        ULONG node = 0;
        EXPECT_EQ(server->CreateElement(parent, &node, make_bstr(name).get()), DOCSERVER_S_OK) << "creating";
        return node;
    }
    void set_attribute(ULONG node, std::u16string_view name, std::u16string_view value) {
        EXPECT_EQ(server->SetAttribute(node, make_bstr(name).get(), make_bstr(value).get()), DOCSERVER_S_OK);
    }
    void set_text(ULONG node, std::u16string_view text) {
        EXPECT_EQ(server->SetText(node, make_bstr(text).get()), DOCSERVER_S_OK);
    }
    void indent(ULONG node, LONG depth) { EXPECT_EQ(server->AppendIndent(node, depth), DOCSERVER_S_OK); }

    std::u16string xml(LONG option = 0) {
        unique_bstr text;
        EXPECT_EQ(server->GetXML(text.put(), option), DOCSERVER_S_OK);
        return text_of(text);
    }
    HRESULT load(std::u16string_view text) { return server->LoadXML(make_bstr(text).get()); }
    std::u16string text(ULONG node) {
        unique_bstr text;
        EXPECT_EQ(server->GetText(node, text.put()), DOCSERVER_S_OK);
        return text_of(text);
    }
    std::u16string attribute(ULONG node, std::u16string_view name) {
        unique_bstr value;
        EXPECT_EQ(server->GetAttribute(node, make_bstr(name).get(), value.put()), DOCSERVER_S_OK);
        return text_of(value);
    }
    ULONG find(ULONG parent, LONG index, std::u16string_view name) {
        ULONG node = 0;
        EXPECT_EQ(server->FindElement(parent, index, &node, make_bstr(name).get()), DOCSERVER_S_OK);
        return node;
    }
    ULONG child(ULONG parent, LONG index) {
        ULONG node = 0;
        EXPECT_EQ(server->GetChild(parent, index, &node), DOCSERVER_S_OK);
        return node;
    }
    LONG child_count(ULONG node) {
        LONG count = -1;
        EXPECT_EQ(server->GetChildCount(node, &count), DOCSERVER_S_OK);
        return count;
    }

    com_ptr<IDocumentServer> server;
};
